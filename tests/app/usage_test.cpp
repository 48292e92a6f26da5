#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/option_table.h"
#include "app/settings.h"
#include "app/usage.h"
#include "options/option_reader.h"
#include "render/frame_state.h"

namespace {

struct Outcome {
    Settings settings;
    int left = 0;  // arguments the table did not take, program name excluded
};

Outcome applyTable(std::vector<std::string> args)
{
    settings = Settings{};
    frameState = FrameState{};
    args.insert(args.begin(), "prog");
    std::vector<char*> argv;
    for (auto& s : args)
        argv.push_back(s.data());
    OptionReader reader(static_cast<int>(argv.size()), argv.data());
    applyOptionTable(reader);
    return {settings, reader.count() - 1};
}

bool sameSettings(const Settings& a, const Settings& b)
{
    return std::memcmp(&a, &b, sizeof(Settings)) == 0;
}

// The help must tell the truth: each option's advertised shortest form acts
// exactly like the full name, and one character less does not.
TEST(Usage, AdvertisedAbbreviationsMatchTheOptionTable)
{
    int checked = 0;
    for (const OptionHelp& o : optionHelp()) {
        const std::string name = o.name;
        if (name == "-title" || name == "-envfile")
            continue;  // read after the table, during start-up
        std::vector<std::string> value;
        if (*o.argument)
            value.push_back(std::strcmp(o.argument, "N") == 0 ? "3" : "3.5");
        auto with = [&](const std::string& option) {
            std::vector<std::string> args{option};
            args.insert(args.end(), value.begin(), value.end());
            return applyTable(args);
        };
        const Outcome full = with(name);
        const Outcome shortest = with(name.substr(0, static_cast<std::size_t>(o.shortest)));
        const Outcome shorter = with(name.substr(0, static_cast<std::size_t>(o.shortest - 1)));
        EXPECT_EQ(full.left, 0) << name;
        EXPECT_EQ(shortest.left, 0) << name;
        EXPECT_TRUE(sameSettings(full.settings, shortest.settings)) << name;
        EXPECT_FALSE(shorter.left == 0 && sameSettings(full.settings, shorter.settings)) << name;
        ++checked;
    }
    EXPECT_EQ(checked, 33);
}

TEST(Usage, TextListsEveryOptionKeyAndTheVariable)
{
    const std::string text = usageText();
    for (const OptionHelp& o : optionHelp()) {
        const std::string shortest(o.name, static_cast<std::size_t>(o.shortest));
        EXPECT_NE(text.find("  " + std::string(o.name)), std::string::npos) << o.name;
        EXPECT_NE(text.find("[" + shortest + "]"), std::string::npos) << o.name;
    }
    for (const char* word : {"Escape", "QLX_TEST_IMAGE_PATH", "Super sampled Motion-Blur", "sky.ppm"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
    EXPECT_EQ(versionText(), "qlxtest " QLXTEST_PROJECT_VERSION "\n");
}

} // namespace
