#pragma once

#include <string>

// The program's own errors: boxText under "qlxtest error", and on standard
// error the same text closed by a period.
[[noreturn]] void reportProgramError(const std::string& boxText);

// A count beyond what the program builds: "Too many <what>: <value>, at most
// <limit> are allowed", as a program error.
[[noreturn]] void reportTooMany(const std::string& what, long long value, long long limit);
