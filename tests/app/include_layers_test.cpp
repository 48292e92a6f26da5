// The source tree's layers, read from its #include lines: the lower folders
// never reach up into app/, and no files include each other, directly or in
// a circle (a header and its sources, platform variants included, count as
// one).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// "platform/clock_linux.cpp" and "platform/clock.h" are both "platform/clock".
std::string unitOf(const std::string& path)
{
    return std::regex_replace(path, std::regex("(_linux|_windows)?\\.(h|cpp)$"), "");
}

// Each unit of the program's folders and the units its files include.
std::map<std::string, std::set<std::string>> includeGraph()
{
    static const std::regex include("^\\s*#\\s*include\\s+\"([^\"]+)\"");
    std::map<std::string, std::set<std::string>> graph;
    for (const char* folder : {"app", "geometry", "image", "options", "platform", "render", "validation"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(QLXTEST_SOURCE_DIR) / folder)) {
            const std::string name = std::string(folder) + "/" + entry.path().filename().string();
            if (!std::regex_search(name, std::regex("\\.(h|cpp)$")))
                continue;
            std::set<std::string>& edges = graph[unitOf(name)];
            std::ifstream file(entry.path());
            std::smatch match;
            for (std::string line; std::getline(file, line);) {
                if (std::regex_search(line, match, include) && unitOf(match[1]) != unitOf(name))
                    edges.insert(unitOf(match[1]));
            }
        }
    }
    return graph;
}

TEST(IncludeLayers, LowerFoldersNeverIncludeApp)
{
    for (const auto& [unit, edges] : includeGraph()) {
        if (!std::regex_search(unit, std::regex("^(geometry|image|options|platform)/")))
            continue;
        for (const std::string& included : edges)
            EXPECT_NE(included.rfind("app/", 0), 0u) << unit << " includes " << included;
    }
}

TEST(IncludeLayers, NoUnitsIncludeEachOther)
{
    const auto graph = includeGraph();
    ASSERT_GT(graph.size(), 50u);
    std::map<std::string, int> state;  // 1 on the current path, 2 done
    std::vector<std::string> path;
    const std::function<void(const std::string&)> visit = [&](const std::string& unit) {
        state[unit] = 1;
        path.push_back(unit);
        const auto found = graph.find(unit);
        for (const std::string& next : found == graph.end() ? std::set<std::string>{} : found->second) {
            if (state[next] == 1) {
                std::string circle;
                for (auto at = std::find(path.begin(), path.end(), next); at != path.end(); ++at)
                    circle += *at + " -> ";
                ADD_FAILURE() << circle << next;
            } else if (state[next] == 0) {
                visit(next);
            }
        }
        path.pop_back();
        state[unit] = 2;
    };
    for (const auto& entry : graph) {
        if (state[entry.first] == 0)
            visit(entry.first);
    }
}

} // namespace
