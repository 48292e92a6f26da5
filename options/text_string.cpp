#include "options/text_string.h"

#include <algorithm>
#include <cstring>
#include <ostream>

namespace {

std::unique_ptr<char[]> blankBuffer(int n)
{
    auto buffer = std::make_unique<char[]>(static_cast<std::size_t>(n) + 1);
    std::memset(buffer.get(), ' ', static_cast<std::size_t>(n));
    buffer[static_cast<std::size_t>(n)] = '\0';
    return buffer;
}

// n characters: the start of s (read up to its first NUL), padded with blanks.
std::unique_ptr<char[]> paddedCopy(const char* s, int n)
{
    auto buffer = blankBuffer(n);
    const std::size_t available = s ? ::strnlen(s, static_cast<std::size_t>(n)) : 0;
    std::memcpy(buffer.get(), s, available);
    return buffer;
}

int textLength(const char* s)
{
    return s ? static_cast<int>(std::strlen(s)) : 0;
}

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

TextString::TextString(int n)
    : length_(std::max(n, 0)), data_(blankBuffer(length_))
{
}

TextString::TextString(const char* s, int n)
    : length_(n < 0 ? textLength(s) : n), data_(paddedCopy(s, length_))
{
}

TextString::TextString(const TextString& s, int n)
    : TextString(s.data(), n)
{
}

TextString::TextString(char ch)
    : TextString(ch == '\0' ? 0 : 1)
{
    if (length_ == 1)
        data_[0] = ch;
}

TextString::TextString(std::unique_ptr<char[]> buffer, int n)
    : length_(n), data_(std::move(buffer))
{
    data_[static_cast<std::size_t>(n)] = '\0';
}

TextString::TextString(const TextString& other)
    : length_(other.length_), data_(blankBuffer(other.length_))
{
    std::memcpy(data_.get(), other.data_.get(), static_cast<std::size_t>(length_));
}

// A moved-from string is left empty, never without a buffer.
TextString::TextString(TextString&& other) noexcept
    : length_(other.length_), data_(std::move(other.data_))
{
    other.length_ = 0;
    other.data_ = std::make_unique<char[]>(1);
}

TextString& TextString::operator=(const TextString& other)
{
    return assign(other);
}

TextString& TextString::operator=(TextString&& other) noexcept
{
    if (this != &other) {
        std::swap(length_, other.length_);
        std::swap(data_, other.data_);
    }
    return *this;
}

TextString& TextString::operator=(const char* s)
{
    return assign(s);
}

TextString& TextString::assign(const TextString& other)
{
    if (this != &other) {
        TextString copy(other);
        std::swap(length_, copy.length_);
        std::swap(data_, copy.data_);
    }
    return *this;
}

TextString& TextString::assign(const char* s)
{
    return *this = TextString(s);
}

TextString& TextString::resize(int n)
{
    return *this = TextString(*this, n);
}

TextString& TextString::substring(int start, int n)
{
    start = std::max(start, 1);
    if (start > length_ || n < 0)
        return *this = TextString();
    n = std::min(n, length_ - start + 1);
    return *this = TextString(data_.get() + (start - 1), n);
}

TextString& TextString::keepRight(int n)
{
    // Settled before the arithmetic: length_ - n + 1 overflows for n near INT_MIN.
    if (n <= 0)
        return *this = TextString();
    n = std::min(n, length_);
    return substring(length_ - n + 1, n);
}

TextString& TextString::append(char ch)
{
    resize(length_ + 1);
    data_[static_cast<std::size_t>(length_ - 1)] = ch;
    return *this;
}

TextString& TextString::trimRight()
{
    int n = length_;
    while (n > 0 && isWhiteSpace(data_[static_cast<std::size_t>(n - 1)]))
        --n;
    return n == length_ ? *this : resize(n);
}

char TextString::charAt(int pos) const
{
    return pos < 1 || pos > length_ ? '\0' : data_[static_cast<std::size_t>(pos - 1)];
}

bool TextString::isAbbreviationOf(const TextString& name, int minLength) const
{
    const int m = minLength < 1 ? 1 : minLength;
    return length_ <= name.length_ && length_ >= m &&
           std::memcmp(data_.get(), name.data_.get(), static_cast<std::size_t>(length_)) == 0;
}

TextString TextString::concatenated(const char* s, int n) const
{
    auto buffer = std::make_unique<char[]>(static_cast<std::size_t>(length_) + n + 1);
    std::memcpy(buffer.get(), data_.get(), static_cast<std::size_t>(length_));
    if (n > 0)
        std::memcpy(buffer.get() + length_, s, static_cast<std::size_t>(n));
    return TextString(std::move(buffer), length_ + n);
}

TextString TextString::operator+(const TextString& other) const
{
    return concatenated(other.data(), other.length_);
}

TextString TextString::operator+(const char* s) const
{
    return concatenated(s, textLength(s));
}

bool TextString::operator==(const TextString& other) const
{
    return std::strcmp(data(), other.data()) == 0;
}

TextString right(const TextString& s, int n)
{
    TextString copy(s);
    copy.keepRight(n);
    return copy;
}

std::ostream& operator<<(std::ostream& out, const TextString& s)
{
    return out << s.data();
}
