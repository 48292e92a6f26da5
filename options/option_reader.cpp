#include "options/option_reader.h"

#include <iterator>

#include "options/number_text.h"

OptionReader::OptionReader(int argc, char** argv)
    : argv_(argv)
{
    args_.reserve(argc > 0 ? static_cast<std::size_t>(argc) : 0);
    for (int i = 0; i < argc; ++i)
        args_.emplace_back(argv[i]);
}

int OptionReader::countFlag(const TextString& name, int minLength)
{
    int found = 0;
    for (auto it = args_.begin(); it != args_.end();) {
        if (it->isAbbreviationOf(name, minLength)) {
            ++found;
            it = args_.erase(it);
        } else {
            ++it;
        }
    }
    return found;
}

int OptionReader::findWithValue(const TextString& name, int minLength) const
{
    for (int i = 0; i + 1 < count(); ++i) {
        if (arg(i).isAbbreviationOf(name, minLength))
            return i;
    }
    return -1;
}

TextString OptionReader::takePair(int index)
{
    const auto option = std::next(args_.begin(), index);
    TextString value = std::move(*std::next(option));
    args_.erase(option, std::next(option, 2));
    return value;
}

int OptionReader::getInt(const TextString& name, int defaultValue, int minLength)
{
    const int index = findWithValue(name, minLength);
    return index < 0 ? defaultValue : parseIntText(takePair(index).data());
}

double OptionReader::getDouble(const TextString& name, double defaultValue, int minLength)
{
    const int index = findWithValue(name, minLength);
    return index < 0 ? defaultValue : parseRealText(takePair(index).data());
}

TextString OptionReader::getString(const TextString& name, const TextString& defaultValue,
                                   int minLength)
{
    const int index = findWithValue(name, minLength);
    return index < 0 ? defaultValue : takePair(index);
}
