#pragma once
// "--help" and "--version": answered before anything else happens. Both start
// with two dashes, so no option of the table can select them.

#include <string>
#include <vector>

struct OptionHelp {
    const char* name;      // full name, e.g. "-width"
    int shortest;          // shortest accepted abbreviation, in characters
    const char* argument;  // "N", "X", "TEXT", "FILE", or "" for a presence option
    const char* fallback;  // default shown to the user, or ""
    const char* meaning;
};

// Every option the program reads, in lookup order.
const std::vector<OptionHelp>& optionHelp();

std::string usageText();
std::string versionText();

// When the first argument is "--help" or "--version", writes the answer to standard output
// and returns true: the caller then exits with status 0 before any window exists.
bool answerInformationRequest(int argc, char** argv);
