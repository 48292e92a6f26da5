// The end of a run, each step once and in this order:
//   0. the line of a fatal report whose box the toolkit's exit cut short;
//   1. the frame-time log closed;
//   2. the snapshot written, once the run has started;
//   3. the result line, or the validation's outcome (its report is written
//      with the checks, which need the GL);
//   4. the status: a caught signal raised again, else 1 after a failed step,
//      else the owed report's status, else the one exit was called with.
// A step that fails says so on standard error, and the later steps still run.
// Nothing here makes an X or GL call: after an Xlib I/O error any such call
// would call exit again. The last frame was taken where the GL still existed
// (the end checks, the close callback, or the copy kept of every frame).
#include "app/ending.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "app/validation_start.h"
#include "platform/ending_signals.h"
#include "platform/fatal_error.h"
#include "render/frame_time_log.h"
#include "render/run_result.h"
#include "render/snapshot.h"

namespace {

pid_t endingProcess = 0;

void endTheRun()
{
    static bool ending = false;
    // A child forked for a box owes nothing; nor does a second call.
    if (ending || getpid() != endingProcess)
        return;
    ending = true;
    const auto owedStatus = payOwedFatalLine();
    settleRun();
    bool failed = !closeFrameTimeLog();
    failed = !writeSnapshotFile() || failed;
    failed = !writeResultLine() || failed;
    failed = !validationEndedWell() || failed;
    std::fflush(nullptr);
    raiseCaughtSignal();
    if (failed)
        std::_Exit(1);
    if (owedStatus)
        std::_Exit(*owedStatus);
}

} // namespace

void arrangeEnding()
{
    endingProcess = getpid();
    std::atexit(endTheRun);
}
