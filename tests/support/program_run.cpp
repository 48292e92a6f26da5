#include "support/program_run.h"

namespace {

std::vector<std::string> commandLine(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{QLXTEST_EXECUTABLE};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

} // namespace

// The sanitizer settings matter only to a sanitized program: leaks of the GL
// driver and X libraries are suppressed by name, and memory that cannot be
// had comes back as null, as it does without the sanitizer. The leak check
// skips the dynamic TLS it tracks through __tls_get_addr: clang 14's tracer
// misreads the static TLS block of the GL libraries as such and crashes at
// exit (seen once SDL2 was no longer linked and loaded ahead of them).
std::vector<std::pair<std::string, std::string>> programEnvironment(
    const std::string& display, const std::vector<std::pair<std::string, std::string>>& env)
{
    std::vector<std::pair<std::string, std::string>> all{
        {"DISPLAY", display},
        {"ASAN_OPTIONS", "detect_leaks=1:allocator_may_return_null=1:intercept_tls_get_addr=0"},
        {"LSAN_OPTIONS", std::string("suppressions=") + QLXTEST_LSAN_SUPPRESSIONS + ":print_suppressions=0"},
        {"UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1"},
#ifdef QLXTEST_SANITIZER_PRELOAD
        {"LD_PRELOAD", QLXTEST_SANITIZER_PRELOAD},
#endif
    };
    all.insert(all.end(), env.begin(), env.end());
    return all;
}

ProgramRun::ProgramRun(const std::string& display, const std::vector<std::string>& args,
                       std::vector<std::pair<std::string, std::string>> env,
                       const std::string& workingDirectory)
    : display_(display),
      process_(commandLine(args), programEnvironment(display, env),
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
