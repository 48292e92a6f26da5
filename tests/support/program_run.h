#pragma once
// The real qlxtest executable started on a test display.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/process.h"
#include "support/x_tools.h"

class ProgramRun {
public:
    ProgramRun(const std::string& display, const std::vector<std::string>& args,
               std::vector<std::pair<std::string, std::string>> env = {},
               const std::string& workingDirectory = "");

    ChildProcess& process() { return process_; }
    // The program's window (the first top-level window on the display).
    std::optional<TopWindow> waitWindow(int timeoutMs = patienceMs);

private:
    std::string display_;
    ChildProcess process_;
};

// The environment a run of the program gets: DISPLAY, the sanitizer settings
// (and, in sanitized builds, the library that keeps the GL driver nameable in
// leak reports), then env, whose entries win.
std::vector<std::pair<std::string, std::string>> programEnvironment(
    const std::string& display, const std::vector<std::pair<std::string, std::string>>& env);

// Directory holding the default environment image, for runs that need one.
std::string defaultImageDirectory();
