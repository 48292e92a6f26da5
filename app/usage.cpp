#include "app/usage.h"

#include <cstdio>
#include <cstring>

const std::vector<OptionHelp>& optionHelp()
{
    static const std::vector<OptionHelp> table{
        {"-width", 2, "N", "512", "window width in pixels"},
        {"-height", 2, "N", "512", "window height in pixels"},
        {"-N", 2, "", "", "nearest texture filter"},
        {"-L", 2, "", "", "linear texture filter (wins over -N)"},
        {"-LL", 3, "", "", "trilinear mipmapped texture filter, the default (wins over -L)"},
        {"-qlxsize", 2, "N", "440", "accepted and ignored (1 to 1000)"},
        {"-xcenter", 2, "N", "-20", "accepted and ignored"},
        {"-ycenter", 2, "N", "10", "accepted and ignored"},
        {"-sample", 3, "N", "2", "accepted and ignored (at least 1)"},
        {"-tsize", 3, "N", "8", "accepted and ignored (texture size 2^N, N in 0..10)"},
        {"-motion", 2, "N", "8", "sub-frames averaged into one blurred frame"},
        {"-mspeed", 3, "X", "160.0", "spin speed that a drag gives"},
        {"-sphere", 2, "N", "0", "nonzero draws the sky bowl behind the object"},
        {"-objet", 2, "N", "1", "zero hides the object"},
        {"-rotate", 2, "N", "0", "nonzero turns the environment image one degree a frame"},
        {"-divide", 2, "N", "16", "angular divisions of the goblet; grid of the teapot (5)"},
        {"-sudivide", 3, "N", "32", "sectors of the sky bowl (at least 3)"},
        {"-svdivide", 3, "N", "16", "rings of the sky bowl (2 to 127)"},
        {"-a", 2, "X", "23.0595", "accepted and ignored"},
        {"-b", 2, "X", "32.6842", "accepted and ignored"},
        {"-f", 2, "X", "5.44", "accepted and ignored"},
        {"-FPS", 2, "", "", "show the frame-rate overlay"},
        {"-SINGLE", 2, "", "", "single-buffered window"},
        {"-GLASS", 2, "", "", "accepted and ignored"},
        {"-TEAPOT", 4, "", "", "draw the Bezier teapot"},
        {"-TEXTURE", 4, "", "", "draw a flat textured square"},
        {"-NOTEX", 3, "", "", "no texturing"},
        {"-MAXTRIANGLES", 4, "", "",
         "triangle benchmark: untextured goblet, 1024 divisions, 128 x 128 window"},
        {"-SPHERICAL", 3, "", "", "accepted and ignored"},
        {"-RSPHERICAL", 3, "", "", "accepted and ignored"},
        {"-HYPEROMNI", 2, "", "", "accepted and ignored"},
        {"-PANORAMIC", 2, "", "", "accepted and ignored"},
        {"-RPANORAMIC", 3, "", "", "accepted and ignored"},
        {"-title", 2, "TEXT", "Super sampled Motion-Blur", "window title"},
        {"-envfile", 2, "FILE", "sky.ppm", "environment image (PNM: P2, P3, P5 or P6)"},
    };
    return table;
}

std::string usageText()
{
    std::string text =
        "Usage: qlxtest [options] [toolkit options]\n"
        "Motion blur on an environment-mapped object, and a triangle-throughput benchmark.\n"
        "\n"
        "Options are case-sensitive and may be shortened to the form in brackets.\n";
    for (const OptionHelp& o : optionHelp()) {
        std::string left = "  " + std::string(o.name);
        if (*o.argument)
            left += std::string(" ") + o.argument;
        left += " [" + std::string(o.name, static_cast<std::size_t>(o.shortest)) + "]";
        if (left.size() < 30)
            left.resize(30, ' ');
        else
            left += "\n" + std::string(30, ' ');
        text += left + o.meaning;
        if (*o.fallback)
            text += std::string(" (default ") + o.fallback + ")";
        text += "\n";
    }
    text +=
        "\n"
        "Keys: drag with the left button to spin the object; m motion blur on/off;\n"
        "  n repeated passes on/off; t texturing on/off; f rate overlay on/off; Escape quits.\n"
        "\n"
        "The environment image is looked for in the working directory, then in the\n"
        "directory named by QLX_TEST_IMAGE_PATH. When that variable is not set, the\n"
        "installed program looks in " QLXTEST_DATA_DIR " instead.\n"
        "Arguments the options leave go to the toolkit (for example -display or\n"
        "-geometry placed before the options above).\n"
        "The exit status is always 0; every failure shows a message box and one line\n"
        "on standard error.\n";
    return text;
}

std::string versionText()
{
    return std::string("qlxtest ") + QLXTEST_VERSION + "\n";
}

bool answerInformationRequest(int argc, char** argv)
{
    // Only as the first argument: elsewhere "--help" may be an option's value,
    // as in "-title --help".
    if (argc < 2)
        return false;
    const bool help = std::strcmp(argv[1], "--help") == 0;
    if (!help && std::strcmp(argv[1], "--version") != 0)
        return false;
    const std::string text = help ? usageText() : versionText();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return true;
}
