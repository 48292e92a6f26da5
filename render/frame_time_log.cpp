#include "render/frame_time_log.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/replace_file.h"

TextString frameTimesFile;

namespace {

std::unique_ptr<FileReplacement> frameLog;

void failWith(const std::string& problem)
{
    std::fprintf(stderr, "Can't write frame times %s: %s\n", frameTimesFile.data(), problem.c_str());
    std::fflush(stderr);
}

// to_chars does not look at the locale.
char* put(char* at, char* end, double value, int decimals)
{
    return std::to_chars(at, end, value, std::chars_format::fixed, decimals).ptr;
}

} // namespace

bool frameTimesGoToStandardOutput()
{
    return frameTimesFile.length() > 0 && isStandardOutput(frameTimesFile.data());
}

bool openFrameTimeLog()
{
    if (frameTimesFile.length() == 0)
        return true;
    frameLog = std::make_unique<FileReplacement>();
    const std::string problem = frameLog->open(frameTimesFile.data());
    if (!problem.empty()) {
        frameLog.reset();
        failWith(problem);
        return false;
    }
    static const char header[] = "frame,end_seconds,duration_ms\n";
    frameLog->write(header, sizeof header - 1);
    return true;
}

void logFrame(const FrameDuration& frame)
{
    if (!frameLog)
        return;
    std::array<char, 1200> row{};
    char* const end = row.data() + row.size();
    char* at = std::to_chars(row.data(), end, frame.index).ptr;
    *at++ = ',';
    at = put(at, end, frame.end, 9);
    *at++ = ',';
    at = put(at, end, frame.duration * 1000.0, 6);
    *at++ = '\n';
    frameLog->write(row.data(), static_cast<std::size_t>(at - row.data()));
}

bool closeFrameTimeLog()
{
    if (!frameLog)
        return true;
    const std::string problem = frameLog->commit();
    frameLog.reset();
    if (problem.empty())
        return true;
    failWith(problem);
    return false;
}
