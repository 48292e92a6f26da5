#pragma once
// "--help" and "--version": answered before anything else happens. Both start
// with two dashes, so no option of the table can select them.

#include <optional>
#include <string>

std::string usageText();
// The exit statuses, as --help ends: the man page and the README copy it word for word.
std::string exitStatusTable();
std::string versionText();

// When the first argument is "--help" or "--version", writes the answer to standard output
// and returns the status to exit with before any window exists: 0, or 1 when it
// could not be written (said on standard error). Else nothing.
std::optional<int> answerInformationRequest(int argc, char** argv);
