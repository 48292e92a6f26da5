#include "validation/run_checks.h"

#include <GL/gl.h>
#include <string>
#include <vector>

#include "validation/blur_check.h"
#include "validation/check_scene.h"
#include "validation/face_check.h"
#include "validation/skew_check.h"
#include "validation/sky_fade_check.h"

namespace {

void print(std::FILE* out, const std::string& line)
{
    std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
}

std::string renderer()
{
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "an unnamed renderer";
}

} // namespace

int runChecks(int width, int height, std::FILE* out)
{
    using Check = CheckResult (*)();
    const Check checks[] = {
        [] { return checkBlur(2); }, [] { return checkBlur(8); }, [] { return checkBlur(16); },
        checkFaces,                  [] { return checkSkyFade(8); }, checkSkew,
    };
    std::vector<CheckResult> results;
    if (width < checkSide || height < checkSide) {
        results.push_back({Outcome::Fail, "window " + std::to_string(width) + "x" + std::to_string(height) +
                                              " is smaller than " + std::to_string(checkSide) + "x" +
                                              std::to_string(checkSide)});
        print(out, checkLine(results.back()));
    } else {
        for (const Check check : checks) {
            results.push_back(check());
            print(out, checkLine(results.back()));
        }
    }
    print(out, summaryLine(results, renderer()));
    return exitStatus(results);
}
