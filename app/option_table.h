#pragma once
// Every option of the command line, declared once: the table below is what
// applyOptionTable reads, what "--help" prints and what the man page is
// checked against.

#include <string>
#include <vector>

#include "app/settings.h"
#include "options/text_string.h"

class OptionReader;
struct OptionWalk;

enum class OptionKind { Presence, Integer, Real, Text };

struct OptionRow {
    const char* name;       // full name, e.g. -width
    int shortest;           // shortest accepted abbreviation, in characters
    OptionKind kind;
    const char* valueName;  // "N", "X", "TEXT" or "FILE"; "" for a presence option
    const char* fallback;   // the default, spelt as on the command line; "" for none
    const char* help;
    int Settings::*integer;                     // where an integer or a presence count goes
    float Settings::*real;                      // where a real goes
    int (*confine)(int value, int fallback);    // an integer's clamp or rule
    void (*rule)(OptionWalk& walk, int count);  // what a presence count decides beyond its field
    TextString* text;                           // where a text read with the table goes (for a
                                                // strict number: the value as typed)
    bool strict = false;  // a number that must be wholly one (options for scripts): else status 2
};

// The value -device was given as typed, for messages; empty when absent.
extern TextString typedDevice;

// Every option the program reads, in lookup order.
const std::vector<OptionRow>& optionTable();

// Reads every row but the title and image rows into the settings (and the three
// frame-state fields it owns), taking each option found out of the reader.
// Returns the line that refuses the command line (a strict row's value that is
// not wholly a number), or "" when there is none.
std::string applyOptionTable(OptionReader& options);

// The text rows, read later in start-up and in this order: the title when the
// window is created, then the environment image's file name.
TextString readWindowTitle(OptionReader& options);
TextString readEnvironmentFile(OptionReader& options);
