#pragma once
// What a check found, and the lines that say it: one per check, then a summary.

#include <string>
#include <vector>

enum class Outcome { Pass, Fail, Skip };

struct CheckResult {
    Outcome outcome = Outcome::Fail;
    // The check's name and figures; for a skip, its name, ": " and the reason.
    std::string text;
};

CheckResult skipped(const std::string& name, const std::string& reason);

// "qlxtest-validate: " + text + " pass" or " FAIL"; a skip reads
// "qlxtest-validate: <name> skip: <reason>".
std::string checkLine(const CheckResult& result);

// "qlxtest-validate: P of N checks passed on "renderer"", with the skipped
// ones named after the count.
std::string summaryLine(const std::vector<CheckResult>& results, const std::string& renderer);

// 0 when no check failed, 1 otherwise.
int exitStatus(const std::vector<CheckResult>& results);

// A figure with the given number of decimals, as the lines print them.
std::string figure(double value, int decimals = 2);
