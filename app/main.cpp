#include <string>

#include "app/device_list.h"
#include "app/ending.h"
#include "app/option_table.h"
#include "app/startup.h"
#include "app/settings.h"
#include "app/usage.h"
#include "options/option_reader.h"
#include "platform/frame_loop.h"
#include "platform/quit.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv)
{
    openStandardStreams();
    // A reader that goes away makes a write fail, which is reported, rather than end the process.
    ignoreBrokenPipes();
    arrangeEnding();
    if (const auto status = answerInformationRequest(argc, argv))
        return *status;
    static OptionReader options(argc, argv);
    const std::string refusal = applyOptionTable(options);
    if (!refusal.empty())
        refuse(refusal.c_str());
    if (settings.listDevices)
        listDevices();
    startUp(options);
    frameLoop().run();
    return 0;
}
