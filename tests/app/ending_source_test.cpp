// The end of a run has one owner: the program's sources register exactly one
// exit handler, in the ending.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(Ending, OneExitHandlerIsRegistered)
{
    // atexit, at_quick_exit, std::atexit, and the runtime's own registration.
    const std::regex registration(R"((\b|::)(atexit|at_quick_exit|__cxa_atexit|_onexit|onexit)\s*\()");
    std::vector<std::string> found;
    for (const char* folder : {"app", "geometry", "image", "options", "platform", "render", "validation"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(QLXTEST_SOURCE_DIR) / folder)) {
            std::ifstream file(entry.path());
            int number = 0;
            for (std::string line; std::getline(file, line);) {
                ++number;
                const std::string code = line.substr(0, line.find("//"));
                if (std::regex_search(code, registration))
                    found.push_back(std::string(folder) + "/" + entry.path().filename().string() + ":" +
                                    std::to_string(number));
            }
        }
    }
    ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
    EXPECT_EQ(found[0].rfind("app/ending.cpp:", 0), 0u) << found[0];
}

} // namespace
