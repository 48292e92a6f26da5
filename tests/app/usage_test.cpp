#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>
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
    for (const OptionRow& o : optionTable()) {
        const std::string name = o.name;
        if (o.kind == OptionKind::Text)
            continue;  // read after the table, during start-up
        std::vector<std::string> value;
        if (*o.valueName)
            value.push_back(std::strcmp(o.valueName, "N") == 0 ? "3" : "3.5");
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
    EXPECT_EQ(checked, 45);
}

TEST(Usage, TextListsEveryOptionKeyAndTheVariable)
{
    const std::string text = usageText();
    for (const OptionRow& o : optionTable()) {
        const std::string shortest(o.name, static_cast<std::size_t>(o.shortest));
        EXPECT_NE(text.find("  " + std::string(o.name)), std::string::npos) << o.name;
        EXPECT_NE(text.find("[" + shortest + "]"), std::string::npos) << o.name;
    }
    for (const char* word : {"Escape", "QLX_TEST_IMAGE_PATH", "Super sampled Motion-Blur", "sky.ppm", "qlxtest-result:"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
    EXPECT_EQ(versionText(), "qlxtest " QLXTEST_PROJECT_VERSION "\n");
}

// The man page's OPTIONS section lists exactly the table's options, each with
// its abbreviation, its value's name and its default.
TEST(Usage, ManPageAgreesWithTheTable)
{
    std::ifstream file(QLXTEST_SOURCE_DIR "/docs/qlxtest.1");
    std::stringstream page;
    page << file.rdbuf();
    const std::string text = page.str();
    const std::size_t start = text.find(".SH OPTIONS\n");
    ASSERT_NE(start, std::string::npos);
    const std::string section = text.substr(start, text.find("\n.SH ", start + 1) - start);

    struct Entry {
        std::string shortest, valueName, body;
    };
    std::map<std::string, Entry> entries;
    // "\fB\-width\fR \fIN\fR [\fB\-w\fR]", several to a line for grouped options.
    const std::regex head(R"(\\fB\\-(\w+)\\fR(?: \\fI(\w+)\\fR)? \[\\fB\\-(\w+)\\fR\])");
    for (std::size_t at = section.find(".TP\n"); at != std::string::npos;) {
        const std::size_t next = section.find(".TP\n", at + 1);
        const std::string entry = section.substr(at + 4, next - at - 4);
        const std::string headLine = entry.substr(0, entry.find('\n'));
        for (std::sregex_iterator m(headLine.begin(), headLine.end(), head), end; m != end; ++m)
            entries["-" + (*m)[1].str()] = {"-" + (*m)[3].str(), (*m)[2].str(), entry.substr(headLine.size())};
        at = next;
    }
    EXPECT_EQ(entries.size(), optionTable().size());
    for (const OptionRow& o : optionTable()) {
        const auto found = entries.find(o.name);
        ASSERT_NE(found, entries.end()) << o.name;
        EXPECT_EQ(found->second.shortest, std::string(o.name, static_cast<std::size_t>(o.shortest))) << o.name;
        EXPECT_EQ(found->second.valueName, o.valueName) << o.name;
        // A leading minus is written "\-" in a man page.
        const std::string fallback = (*o.fallback == '-' ? "\\" : "") + std::string(o.fallback);
        EXPECT_NE(found->second.body.find(fallback), std::string::npos) << o.name;
    }
}

// The exit statuses are written once: --help ends with them, and the man page
// and the README carry the same rows.
TEST(Usage, ManPageAndReadmeListTheSameStatuses)
{
    const std::string table = exitStatusTable();
    ASSERT_NE(usageText().find(table), std::string::npos);
    const std::string rows = table.substr(table.find('\n') + 1);
    ASSERT_GT(rows.size(), 100u);
    const auto read = [](const char* path) {
        std::ifstream file(std::string(QLXTEST_SOURCE_DIR) + path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    };
    EXPECT_NE(read("/README.md").find("```\n" + rows + "```\n"), std::string::npos);
    // A man page writes each minus as "\-".
    const std::string page = std::regex_replace(read("/docs/qlxtest.1"), std::regex(R"(\\-)"), "-");
    EXPECT_NE(page.find(".SH EXIT STATUS\n"), std::string::npos);
    EXPECT_NE(page.find(".nf\n" + rows + ".fi\n"), std::string::npos);
}

} // namespace
