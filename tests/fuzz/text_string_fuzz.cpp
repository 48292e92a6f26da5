// Fuzz target: the text string operations, driven by the input as a program
// over four string slots, each checked against a plain std::string model of
// the rules for strings without embedded NULs. An appended NUL marks its slot
// unmodelled: from then on only the invariants are checked (the length, the
// terminating NUL, memory safety under the sanitizers). Positions and lengths
// come from the whole int range; lengths that allocate are kept small.

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>

#include "fuzz_input.h"
#include "options/text_string.h"

namespace {

constexpr std::size_t slotCount = 4;
// Longest string the program is asked to build; concatenation stops there.
constexpr int longest = 1 << 16;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// A length that allocates: negatives are kept (they mean "the whole string"
// or "empty"), large values are brought below 4097.
int smallLength(std::int32_t n)
{
    return n > 4096 ? n % 4097 : n;
}

std::string untilNul(const std::string& s)
{
    return s.substr(0, s.find('\0'));
}

std::string padded(const std::string& s, int n)
{
    if (n < 0)
        return s;
    std::string r = s.substr(0, static_cast<std::size_t>(n));
    r.resize(static_cast<std::size_t>(n), ' ');
    return r;
}

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct Slot {
    TextString string;
    std::string model;
    bool modelled = true;

    void check() const
    {
        require(string.length() >= 0 && string.data() != nullptr);
        require(string.data()[string.length()] == '\0');
        if (modelled)
            require(std::string(string.data(), static_cast<std::size_t>(string.length())) == model);
    }
};

std::string contents(const TextString& s)
{
    return std::string(s.data(), static_cast<std::size_t>(s.length()));
}

// The model's substring rule, on a string without NULs.
std::string substringOf(const std::string& s, std::int32_t start, std::int32_t n)
{
    const long long length = static_cast<long long>(s.size());
    const long long from = start < 1 ? 1 : start;
    if (from > length || n < 0)
        return {};
    const long long count = std::min<long long>(n, length - from + 1);
    return s.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count));
}

std::string keepRightOf(const std::string& s, std::int32_t n)
{
    if (n <= 0)
        return {};
    return n >= static_cast<long long>(s.size()) ? s : s.substr(s.size() - static_cast<std::size_t>(n));
}

void step(FuzzInput& in, std::array<Slot, slotCount>& slots)
{
    const std::uint8_t op = in.byte();
    Slot& a = slots[in.byte() % slotCount];
    Slot& b = slots[in.byte() % slotCount];
    switch (op % 18) {
    case 0: {  // blanks
        const int n = smallLength(in.int32());
        a.string = TextString(n);
        a.model = std::string(static_cast<std::size_t>(n < 0 ? 0 : n), ' ');
        a.modelled = true;
        break;
    }
    case 1: {  // from characters, cut or padded
        const std::string text = in.text();
        const int n = smallLength(in.int32());
        a.string = TextString(text.c_str(), n);
        a.model = padded(untilNul(text), n);
        a.modelled = true;
        break;
    }
    case 2: {  // from another string, cut or padded
        const int n = smallLength(in.int32());
        const std::string source = untilNul(contents(b.string));
        a.string = TextString(b.string, n);
        a.model = padded(source, n);
        a.modelled = true;
        break;
    }
    case 3: {  // one character
        const char ch = static_cast<char>(in.byte());
        a.string = TextString(ch);
        a.model = ch == '\0' ? std::string() : std::string(1, ch);
        a.modelled = true;
        break;
    }
    case 4:  // assignment, itself included
        a.string.assign(b.string);
        a.model = b.model;
        a.modelled = b.modelled;
        break;
    case 5: {
        const std::string text = in.text();
        a.string.assign(text.c_str());
        a.model = untilNul(text);
        a.modelled = true;
        break;
    }
    case 6: {  // resize
        const int n = smallLength(in.int32());
        a.string.resize(n);
        a.model = padded(a.model, n);
        break;
    }
    case 7: {
        const std::int32_t start = in.int32();
        const std::int32_t n = in.int32();
        a.string.substring(start, n);
        a.model = substringOf(a.model, start, n);
        break;
    }
    case 8: {
        const std::int32_t n = in.int32();
        a.string.keepRight(n);
        a.model = keepRightOf(a.model, n);
        break;
    }
    case 9: {
        const char ch = static_cast<char>(in.byte());
        if (a.string.length() >= longest)
            break;
        a.string.append(ch);
        a.model += ch;
        a.modelled = a.modelled && ch != '\0';
        break;
    }
    case 10:
        a.string.trimRight();
        while (!a.model.empty() && isWhiteSpace(a.model.back()))
            a.model.pop_back();
        break;
    case 11: {  // position look-up
        const std::int32_t pos = in.int32();
        const char ch = a.string.charAt(pos);
        if (a.modelled)
            require(ch == (pos < 1 || pos > static_cast<long long>(a.model.size()) ? '\0'
                                                                                     : a.model[pos - 1]));
        break;
    }
    case 12: {  // right() leaves its argument alone
        const std::int32_t n = in.int32();
        const std::string before = contents(b.string);
        TextString result = right(b.string, n);
        require(contents(b.string) == before);
        a.model = keepRightOf(b.model, n);
        a.modelled = b.modelled;
        a.string = std::move(result);
        break;
    }
    case 13:  // concatenation
        if (a.string.length() + b.string.length() > longest)
            break;
        a.string = a.string + b.string;
        a.model += b.model;
        a.modelled = a.modelled && b.modelled;
        break;
    case 14: {
        const std::string text = in.text();
        if (a.string.length() > longest)
            break;
        a.string = a.string + text.c_str();
        a.model += untilNul(text);
        break;
    }
    case 15:  // comparisons
        require((a.string == b.string) == (untilNul(contents(a.string)) == untilNul(contents(b.string))));
        require((a.string != b.string) == !(a.string == b.string));
        if (a.modelled) {
            const char ch = static_cast<char>(in.byte());
            const bool sameAsChar = ch == '\0' ? a.model.empty() : a.model == std::string(1, ch);
            require((a.string != ch) == !sameAsChar);
        }
        break;
    case 16: {  // abbreviation
        const std::int32_t minLength = in.int32();
        const long long m = minLength < 1 ? 1 : minLength;
        const std::string x = contents(a.string);
        const std::string name = contents(b.string);
        const bool expected = x.size() <= name.size() && static_cast<long long>(x.size()) >= m &&
                              name.compare(0, x.size(), x) == 0;
        require(a.string.isAbbreviationOf(b.string, minLength) == expected);
        break;
    }
    default: {  // moves, and writing to a stream
        std::ostringstream out;
        out << a.string;
        require(out.str() == untilNul(contents(a.string)));
        // A moved-from string is empty, never without its buffer.
        TextString moved(std::move(a.string));
        require(a.string.length() == 0 && a.string.data() && a.string.data()[0] == '\0');
        a.string = std::move(moved);
        break;
    }
    }
    // An unmodelled slot's model just follows its string, so that it cannot
    // outgrow it.
    for (Slot* slot : {&a, &b}) {
        if (!slot->modelled)
            slot->model = contents(slot->string);
    }
    a.check();
    b.check();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    std::array<Slot, slotCount> slots;
    for (int steps = 0; steps < 256 && !in.empty(); ++steps)
        step(in, slots);
    return 0;
}
