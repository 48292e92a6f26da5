#include "support/program_run.h"

namespace {

std::vector<std::string> commandLine(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{QLXTEST_EXECUTABLE};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

std::vector<std::pair<std::string, std::string>> withDisplay(
    const std::string& display, std::vector<std::pair<std::string, std::string>> env)
{
    env.insert(env.begin(), {"DISPLAY", display});
    return env;
}

} // namespace

ProgramRun::ProgramRun(const std::string& display, const std::vector<std::string>& args,
                       std::vector<std::pair<std::string, std::string>> env,
                       const std::string& workingDirectory)
    : display_(display),
      process_(commandLine(args), withDisplay(display, std::move(env)),
               workingDirectory.empty() ? defaultImageDirectory() : workingDirectory)
{
}

std::optional<TopWindow> ProgramRun::waitWindow(int timeoutMs)
{
    auto window = waitForWindow(display_, [](const TopWindow&) { return true; }, timeoutMs);
    if (window && !waitViewable(display_, window->id, timeoutMs))
        return std::nullopt;
    return window;
}

std::string defaultImageDirectory()
{
    return QLXTEST_BINARY_DIR;
}
