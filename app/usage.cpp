#include "app/usage.h"

#include <cstdio>
#include <cstring>

#include "app/option_table.h"

std::string usageText()
{
    std::string text =
        "Usage: qlxtest [options] [toolkit options]\n"
        "Motion blur on an environment-mapped object, and a triangle-throughput benchmark.\n"
        "\n"
        "Options are case-sensitive and may be shortened to the form in brackets.\n";
    for (const OptionRow& o : optionTable()) {
        std::string left = "  " + std::string(o.name);
        if (*o.valueName)
            left += std::string(" ") + o.valueName;
        left += " [" + std::string(o.name, static_cast<std::size_t>(o.shortest)) + "]";
        if (left.size() < 30)
            left.resize(30, ' ');
        else
            left += "\n" + std::string(30, ' ');
        text += left + o.help;
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
        "The exit status is 0; every failure shows a message box and one line on\n"
        "standard error. A refused command line (-headless without -frames or -seconds,\n"
        "or with -FPS) gives status 2, a -snapshot file that cannot be written status 1.\n";
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
