#pragma once
// A child process with its own environment additions; standard output and
// standard error go to files that the test can read. Killed on destruction if
// still running.

#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv,
                 const std::vector<std::pair<std::string, std::string>>& env,
                 const std::string& workingDirectory = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Exit status when the process exited normally within the time; -signal when
    // a signal ended it; nothing on time-out.
    std::optional<int> waitExit(int timeoutMs);
    std::string standardError() const;
    std::string standardOutput() const;

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string outPath_;
    std::string errPath_;
};

// Runs a shell command and returns its standard output.
std::string captureCommand(const std::string& command);
// Single-quotes text for the shell.
std::string shellQuote(const std::string& text);
