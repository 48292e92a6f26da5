// Fuzz target: the whole option table, then "-title" and "-envfile" as start-up
// reads them, over an argument vector made of the input's NUL-separated
// pieces (after a program name). Whatever the arguments, the reader keeps a
// subsequence of them in their order, the vector main received stays as it
// was, and every setting the table confines stays in its range.

#include <GL/gl.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/option_table.h"
#include "app/settings.h"
#include "options/option_reader.h"
#include "render/frame_state.h"

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// Greedy matching is enough: a subsequence matches the earliest candidates.
bool leavesSubsequence(const OptionReader& options, const std::vector<std::string>& given)
{
    std::size_t next = 0;
    for (int i = 0; i < options.count(); ++i) {
        const TextString& left = options.arg(i);
        const std::string text(left.data(), static_cast<std::size_t>(left.length()));
        while (next < given.size() && given[next] != text)
            ++next;
        if (next == given.size())
            return false;
        ++next;
    }
    return true;
}

bool isPowerOfTwoUpTo1024(int value)
{
    return value >= 1 && value <= 1024 && (value & (value - 1)) == 0;
}

void checkSettings()
{
    require(settings.qlxSize >= 1 && settings.qlxSize <= 1000);
    require(settings.sampleCount >= 1);
    require(isPowerOfTwoUpTo1024(settings.textureSize));
    require(settings.textureFilter == GL_NEAREST || settings.textureFilter == GL_LINEAR ||
            settings.textureFilter == GL_LINEAR_MIPMAP_LINEAR);
    require(settings.bufferMode == 0 || settings.bufferMode == 2);
    require(settings.showRates >= 0 && settings.glass >= 0 && settings.maxTriangles >= 0);
    require(settings.sceneKind == SceneKind::Goblet || settings.sceneKind == SceneKind::TexturedQuad ||
            settings.sceneKind == SceneKind::Teapot);
    const int kind = static_cast<int>(settings.envMapKind);
    require(kind >= 0 && kind <= 4);
    require(settings.texturing == 0 || settings.texturing == 1);
    require(frameState.measuredFps == 0.0f);
    if (settings.maxTriangles) {
        require(settings.sceneKind == SceneKind::Goblet);
        require(settings.texturing == 0 && frameState.multiPass == 0 && frameState.blurSteps == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> given{"qlxtest"};
    std::string piece;
    for (std::size_t i = 0; i < size && given.size() < 200; ++i) {
        if (data[i] == 0) {
            given.push_back(piece);
            piece.clear();
        } else {
            piece += static_cast<char>(data[i]);
        }
    }
    if (size > 0)
        given.push_back(piece);

    // The vector as main receives it: its own writable strings and a null
    // after the last.
    std::vector<std::vector<char>> storage;
    for (const auto& arg : given)
        storage.emplace_back(arg.c_str(), arg.c_str() + arg.size() + 1);
    std::vector<char*> argv;
    for (auto& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::vector<char*> pointers = argv;

    settings = Settings{};
    frameState.multiPass = 1;
    frameState.blurSteps = 0;
    frameState.measuredFps = 12.5f;

    OptionReader options(static_cast<int>(given.size()), argv.data());
    applyOptionTable(options);
    require(leavesSubsequence(options, given));
    checkSettings();
    readWindowTitle(options);
    require(leavesSubsequence(options, given));
    readEnvironmentFile(options);
    require(leavesSubsequence(options, given));

    require(options.argv() == argv.data() && argv == pointers);
    for (std::size_t i = 0; i < given.size(); ++i)
        require(given[i] == argv[i]);
    return 0;
}
