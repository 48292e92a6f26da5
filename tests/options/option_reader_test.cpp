#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "options/option_reader.h"

namespace {

// Owns an argument vector the way main receives it.
class Args {
public:
    Args(std::initializer_list<const char*> args)
        : storage_(args.begin(), args.end())
    {
        for (auto& s : storage_)
            pointers_.push_back(s.data());
        pointers_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(storage_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> storage_;
    std::vector<char*> pointers_;
};

std::vector<std::string> held(const OptionReader& reader)
{
    std::vector<std::string> out;
    for (int i = 0; i < reader.count(); ++i)
        out.emplace_back(reader.arg(i).data());
    return out;
}

using Strings = std::vector<std::string>;

TEST(OptionReader, HoldsEveryArgumentAndTheUntouchedVector)
{
    Args args{"prog", "-w", "10"};
    OptionReader reader(args.argc(), args.argv());
    EXPECT_EQ(held(reader), (Strings{"prog", "-w", "10"}));
    reader.getInt("-width", 512, 2);
    EXPECT_EQ(reader.argv(), args.argv());
    EXPECT_STREQ(reader.argv()[1], "-w");
    EXPECT_STREQ(reader.argv()[2], "10");
}

TEST(OptionReader, ValueLookupTakesTheFirstPairOnly)
{
    Args args{"prog", "-w", "10", "-w", "20"};
    OptionReader reader(args.argc(), args.argv());
    EXPECT_EQ(reader.getInt("-width", 512, 2), 10);
    EXPECT_EQ(held(reader), (Strings{"prog", "-w", "20"}));
    EXPECT_EQ(reader.getInt("-width", 512, 2), 20);
    EXPECT_EQ(held(reader), (Strings{"prog"}));
    EXPECT_EQ(reader.getInt("-width", 512, 2), 512);
}

TEST(OptionReader, AnOptionInTheLastPlaceHasNoValueAndStays)
{
    Args args{"prog", "-width"};
    OptionReader reader(args.argc(), args.argv());
    EXPECT_EQ(reader.getInt("-width", 512, 2), 512);
    EXPECT_EQ(held(reader), (Strings{"prog", "-width"}));
    EXPECT_EQ(reader.getString("-width", "dflt", 2).data(), std::string("dflt"));
}

TEST(OptionReader, TheValueIsTakenWhateverItLooksLike)
{
    Args args{"prog", "-ti", "-FPS"};
    OptionReader reader(args.argc(), args.argv());
    EXPECT_STREQ(reader.getString("-title", "Super sampled Motion-Blur", 2).data(), "-FPS");
    EXPECT_EQ(held(reader), (Strings{"prog"}));
}

TEST(OptionReader, ConversionsOfTheValue)
{
    struct Case {
        const char* text;
        int value;
    };
    for (const Case& c : {Case{" 42", 42}, Case{"+7", 7}, Case{"-3", -3}, Case{"abc", 0},
                          Case{"12abc", 12}, Case{"99999999999", 2147483647}}) {
        Args args{"prog", "-width", c.text};
        OptionReader reader(args.argc(), args.argv());
        EXPECT_EQ(reader.getInt("-width", 512, 2), c.value) << c.text;
        EXPECT_EQ(reader.count(), 1);
    }
    Args args{"prog", "-mspeed", "2.5e1", "-a", "x"};
    OptionReader reader(args.argc(), args.argv());
    EXPECT_DOUBLE_EQ(reader.getDouble("-mspeed", 160.0, 3), 25.0);
    EXPECT_DOUBLE_EQ(reader.getDouble("-a", 1.0, 2), 0.0);
    EXPECT_DOUBLE_EQ(reader.getDouble("-a", 1.0, 2), 1.0);
}

TEST(OptionReader, CountFlagCountsAndRemovesEveryCopy)
{
    Args args{"prog", "-FPS", "x", "-FPS"};
    OptionReader reader(args.argc(), args.argv());
    EXPECT_EQ(reader.countFlag("-FPS", 2), 2);
    EXPECT_EQ(held(reader), (Strings{"prog", "x"}));
    EXPECT_EQ(reader.countFlag("-FPS", 2), 0);
}

TEST(OptionReader, SelectionIsCaseSensitiveAndBoundedByLength)
{
    Args args{"prog", "-fps", "-F", "-FPSX", "", "-"};
    OptionReader reader(args.argc(), args.argv());
    EXPECT_EQ(reader.countFlag("-FPS", 2), 1);  // only "-F"
    EXPECT_EQ(held(reader), (Strings{"prog", "-fps", "-FPSX", "", "-"}));
    // A lone dash selects only when the minimum length lets one character through.
    EXPECT_EQ(reader.countFlag("-FPS", 2), 0);
    EXPECT_EQ(reader.countFlag("-FPS", 0), 1);
    EXPECT_EQ(held(reader), (Strings{"prog", "-fps", "-FPSX", ""}));
}

TEST(OptionReader, TheProgramNameIsExaminedLikeAnyArgument)
{
    Args args{"-FPS", "-FPS"};
    OptionReader reader(args.argc(), args.argv());
    EXPECT_EQ(reader.countFlag("-FPS", 2), 2);
    EXPECT_EQ(reader.count(), 0);
}

} // namespace
