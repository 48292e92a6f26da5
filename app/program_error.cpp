#include "app/program_error.h"

#include "platform/fatal_error.h"

void reportProgramError(const std::string& boxText)
{
    const std::string line = boxText + ".";
    reportFatalError("qlxtest error", boxText.c_str(), line.c_str());
}

void reportTooMany(const std::string& what, long long value, long long limit)
{
    reportProgramError("Too many " + what + ": " + std::to_string(value) + ", at most " +
                       std::to_string(limit) + " are allowed");
}
