#include <gtest/gtest.h>
#include <sstream>
#include <string>

#include "options/text_string.h"

namespace {

std::string str(const TextString& s)
{
    return std::string(s.data(), static_cast<std::size_t>(s.length()));
}

// Every string must keep its NUL terminator at index length.
void expectTerminated(const TextString& s)
{
    EXPECT_EQ(s.data()[s.length()], '\0');
}

TEST(TextString, ConstructionPadsCutsAndCopies)
{
    EXPECT_EQ(str(TextString()), "");
    EXPECT_EQ(str(TextString(3)), "   ");
    EXPECT_EQ(str(TextString(-4)), "");
    EXPECT_EQ(str(TextString("abc", 5)), "abc  ");
    EXPECT_EQ(str(TextString("abcdef", 3)), "abc");
    EXPECT_EQ(str(TextString("abcdef", 0)), "");
    EXPECT_EQ(str(TextString("abcdef")), "abcdef");
    EXPECT_EQ(str(TextString(TextString("xyz"), 5)), "xyz  ");
    EXPECT_EQ(str(TextString(TextString("xyz"), -1)), "xyz");
    EXPECT_EQ(TextString('\0').length(), 0);
    EXPECT_EQ(str(TextString('q')), "q");
    for (const auto& s : {TextString("abc", 5), TextString("abcdef", 3), TextString('q')})
        expectTerminated(s);
}

TEST(TextString, CopiesAreIndependentValues)
{
    TextString a("left");
    TextString b(a);
    b.append('!');
    EXPECT_EQ(str(a), "left");
    EXPECT_EQ(str(b), "left!");
    a = b;
    EXPECT_EQ(str(a), "left!");
    TextString& alias = a;
    a = alias;  // self-assignment leaves it unchanged
    EXPECT_EQ(str(a), "left!");
    a.assign(a);
    EXPECT_EQ(str(a), "left!");
    a = "new";
    EXPECT_EQ(str(a), "new");
    TextString moved(std::move(a));
    EXPECT_EQ(str(moved), "new");
    EXPECT_EQ(a.length(), 0);  // a moved-from string is empty, not broken
    expectTerminated(a);
}

TEST(TextString, CharAtIsOneBasedAndNulOutside)
{
    const TextString s("hello");
    EXPECT_EQ(s.charAt(0), '\0');
    EXPECT_EQ(s.charAt(1), 'h');
    EXPECT_EQ(s.charAt(5), 'o');
    EXPECT_EQ(s.charAt(6), '\0');
    EXPECT_EQ(s.charAt(-100), '\0');
}

TEST(TextString, SubstringClampsItsRange)
{
    auto sub = [](int start, int n) { return str(TextString("abcde").substring(start, n)); };
    EXPECT_EQ(sub(2, 3), "bcd");
    EXPECT_EQ(sub(0, 2), "ab");
    EXPECT_EQ(sub(-7, 2), "ab");
    EXPECT_EQ(sub(4, 10), "de");
    EXPECT_EQ(sub(6, 1), "");
    EXPECT_EQ(sub(1, -1), "");
    EXPECT_EQ(sub(1, 0), "");
    EXPECT_EQ(sub(5, 1), "e");
}

TEST(TextString, KeepRightAndRight)
{
    EXPECT_EQ(str(TextString("abcde").keepRight(2)), "de");
    EXPECT_EQ(str(TextString("abcde").keepRight(9)), "abcde");
    EXPECT_EQ(str(TextString("abcde").keepRight(0)), "");
    EXPECT_EQ(str(TextString("abcde").keepRight(-3)), "");
    const TextString path("/usr/share/");
    EXPECT_EQ(str(right(path, 1)), "/");
    EXPECT_EQ(str(path), "/usr/share/");
}

TEST(TextString, ResizeAppendAndTrim)
{
    EXPECT_EQ(str(TextString("ab").resize(4)), "ab  ");
    EXPECT_EQ(str(TextString("abcd").resize(1)), "a");
    TextString empty;
    empty.append('x');
    EXPECT_EQ(str(empty), "x");
    EXPECT_EQ(str(TextString("/tmp/dir \t").trimRight()), "/tmp/dir");
    EXPECT_EQ(str(TextString(" \t\n\v\f\r ").trimRight()), "");
    EXPECT_EQ(str(TextString(" lead").trimRight()), " lead");
    // Bytes above 127 are not white space, whatever the C library's ctype says.
    EXPECT_EQ(str(TextString("x\xa0").trimRight()), "x\xa0");
    expectTerminated(TextString("ab ").trimRight());
}

TEST(TextString, ConcatenationAndComparison)
{
    const TextString a("dir/");
    EXPECT_EQ(str(a + TextString("sky.ppm")), "dir/sky.ppm");
    EXPECT_EQ((a + "x").length(), 5);
    EXPECT_EQ(str(TextString() + ""), "");
    EXPECT_TRUE(TextString("abc") == TextString("abc"));
    EXPECT_FALSE(TextString("abc") == TextString("abC"));
    EXPECT_TRUE(TextString("abc") != TextString("ab"));
    // Comparison reads up to the first NUL.
    EXPECT_TRUE(TextString("ab") == TextString("ab").append('\0'));
    EXPECT_FALSE(TextString("/") != '/');
    EXPECT_TRUE(TextString("//") != '/');
    EXPECT_FALSE(TextString() != '\0');
    EXPECT_TRUE(TextString("a") != '\0');
}

TEST(TextString, AbbreviationNeedsALeadingPartLongEnough)
{
    const TextString width("-width");
    EXPECT_TRUE(TextString("-w").isAbbreviationOf(width, 2));
    EXPECT_FALSE(TextString("-w").isAbbreviationOf(width, 3));
    EXPECT_TRUE(TextString("-width").isAbbreviationOf(width, 2));
    EXPECT_FALSE(TextString("-widths").isAbbreviationOf(width, 2));
    EXPECT_FALSE(TextString("-x").isAbbreviationOf(width, 2));
    EXPECT_FALSE(TextString("-W").isAbbreviationOf(width, 2));
    EXPECT_FALSE(TextString("").isAbbreviationOf(width, 0));
    EXPECT_TRUE(TextString("-").isAbbreviationOf(width, 1));
    EXPECT_TRUE(TextString("-").isAbbreviationOf(width, -5));
    EXPECT_FALSE(TextString("-").isAbbreviationOf(width, 2));
}

TEST(TextString, StreamsUpToTheFirstNul)
{
    std::ostringstream out;
    out << TextString("ab").append('\0') << TextString("|");
    EXPECT_EQ(out.str(), "ab|");
}

} // namespace
