#pragma once
// The command-line arguments, looked up by abbreviated option name. Every option
// found leaves the list together with its value, so later lookups and the
// toolkit see only what is left.

#include <vector>

#include "options/text_string.h"

class OptionReader {
public:
    OptionReader(int argc, char** argv);
    OptionReader(const OptionReader&) = delete;
    OptionReader& operator=(const OptionReader&) = delete;

    int count() const { return static_cast<int>(args_.size()); }
    const TextString& arg(int index) const { return args_[static_cast<std::size_t>(index)]; }
    // The vector exactly as main received it; never changed.
    char** argv() const { return argv_; }

    int countFlag(const TextString& name, int minLength);
    int getInt(const TextString& name, int defaultValue, int minLength);
    double getDouble(const TextString& name, double defaultValue, int minLength);
    TextString getString(const TextString& name, const TextString& defaultValue, int minLength);
    // True when name is given with a value (which may be empty).
    bool hasValue(const TextString& name, int minLength) const { return findWithValue(name, minLength) >= 0; }

private:
    // Index of the first argument selecting name that has a value after it, or -1.
    int findWithValue(const TextString& name, int minLength) const;
    // Removes the option at index and its value; returns the value.
    TextString takePair(int index);

    std::vector<TextString> args_;
    char** argv_;
};
