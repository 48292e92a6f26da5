#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/toolkit_display.h"

namespace {

std::string displayOf(std::vector<std::string> args, int count)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    return toolkitDisplay(count, argv.data());
}

// The toolkit reads only the first count entries; the last "-display" with a
// value among them wins, and "-geometry" swallows the entry after it.
TEST(ToolkitDisplay, IsTheLastDisplayOptionAmongTheEntriesTheToolkitSees)
{
    const std::vector<std::string> args{"qlxtest", "-display", ":1", "-display", ":2", "-title", "t"};
    EXPECT_EQ(displayOf(args, 7), ":2");
    EXPECT_EQ(displayOf(args, 4), ":1");
    EXPECT_EQ(displayOf(args, 2), "");
    EXPECT_EQ(displayOf({"qlxtest", "-geometry", "-display", ":1"}, 4), "");
}

} // namespace
