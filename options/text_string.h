#pragma once
// A small owned string with 1-based positions. Every operation that changes the
// length builds a new buffer of the exact size; positions and lengths out of
// range clamp instead of failing.

#include <iosfwd>
#include <memory>

class TextString {
public:
    TextString() : TextString(0) {}
    explicit TextString(int n);
    TextString(const char* s, int n = -1);  // NOLINT: implicit from literals is intended
    TextString(const TextString& s, int n);
    explicit TextString(char ch);

    TextString(const TextString& other);
    TextString(TextString&& other) noexcept;
    TextString& operator=(const TextString& other);
    TextString& operator=(TextString&& other) noexcept;
    TextString& operator=(const char* s);
    ~TextString() = default;

    TextString& assign(const TextString& other);
    TextString& assign(const char* s);

    TextString& resize(int n);
    TextString& substring(int start, int n);
    TextString& keepRight(int n);
    TextString& append(char ch);
    TextString& trimRight();

    int length() const { return length_; }
    const char* data() const { return data_.get(); }
    char charAt(int pos) const;
    bool isAbbreviationOf(const TextString& name, int minLength) const;

    TextString operator+(const TextString& other) const;
    TextString operator+(const char* s) const;
    bool operator==(const TextString& other) const;
    bool operator!=(const TextString& other) const { return !(*this == other); }
    bool operator!=(char ch) const { return *this != TextString(ch); }

private:
    // Takes a buffer of n + 1 bytes whose first n characters are already set.
    TextString(std::unique_ptr<char[]> buffer, int n);
    TextString concatenated(const char* s, int n) const;

    int length_ = 0;
    std::unique_ptr<char[]> data_;
};

TextString right(const TextString& s, int n);
std::ostream& operator<<(std::ostream& out, const TextString& s);
