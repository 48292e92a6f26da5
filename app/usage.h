#pragma once
// "--help" and "--version": answered before anything else happens. Both start
// with two dashes, so no option of the table can select them.

#include <string>

std::string usageText();
// The exit statuses, as --help ends: the man page and the README copy it word for word.
std::string exitStatusTable();
std::string versionText();

// When the first argument is "--help" or "--version", writes the answer to standard output
// and returns true: the caller then exits with status 0 before any window exists.
bool answerInformationRequest(int argc, char** argv);
