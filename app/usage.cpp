#include "app/usage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/option_table.h"

std::string exitStatusTable()
{
    return "Exit status:\n"
           "  0       a scripted run that went as asked; every ending of the interactive\n"
           "          demo, also after a failure (its box, then its line)\n"
           "  1       a failure in a scripted run (a file or line that cannot be written,\n"
           "          -validate that found a fault or ran no check, EGL that cannot start,\n"
           "          an image that cannot be read, a lost display); -listdevices failing;\n"
           "          --help or --version that cannot be written; the toolkit's own errors\n"
           "  2       a refused command line: -headless without -frames or -seconds, with\n"
           "          -FPS, or on Windows; -validate with -snapshot, -frametimes,\n"
           "          -checksum, -frames, -seconds or -graph; -device without -headless\n"
           "          or with a number EGL does not list; -listdevices or -device on\n"
           "          Windows;\n"
           "          -snapshot and -frametimes naming one file, or an empty name for\n"
           "          either; a value of -frames, -seconds, -device, -timestep, -spin or\n"
           "          -swapinterval that is not wholly a number\n"
           "  signal  SIGINT, SIGTERM or SIGHUP ends a scripted run through its result\n"
           "          line (ended=signal), then by that signal (a shell shows 128 + n);\n"
           "          a signal ignored when the program started stays ignored\n";
}

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
        text += left;
        // Further lines of the help start in the same column.
        for (const char* c = o.help; *c; ++c)
            text += *c == '\n' ? "\n" + std::string(30, ' ') : std::string(1, *c);
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
        "\n"
        "With -frames or -seconds the run ends by itself, with status 0, and when it\n"
        "ends (Escape, closing the window, a signal or an error included) one line goes\n"
        "to standard output (to standard error when -snapshot or -frametimes writes\n"
        "standard output):\n"
        "\"qlxtest-result:\" and the fields frames (drawn after the first, which is left\n"
        "out), seconds (from the end of the first frame's swap to the end of the last,\n"
        "once the GL has finished it), fps, ktps (every frame counting what it drew),\n"
        "triangles_per_frame (their mean), width, height, swap_interval (read back,\n"
        "unknown, or none headless), renderer, gl_version, frame_ms_p50, frame_ms_p99,\n"
        "frame_ms_max (nearest-rank percentiles of the frame durations), fps_1pct_low\n"
        "(1000 / the mean ms of the slowest 1 % of frames), cpu_seconds (the process's\n"
        "user and system time), hidden_seconds (time the window could not draw), resized\n"
        "(1 when frames were drawn at several sizes) and ended (limit, escape, close,\n"
        "signal or error). -seconds ends the run at its time even while the window is\n"
        "hidden. -frametimes FILE writes every counted frame as CSV: a pipe or a device\n"
        "gets the rows as the run goes on, a regular file appears complete at the end.\n"
        "-snapshot and -frametimes open FILE as a shell redirect would, and write it\n"
        "only once it is whole: a regular file is replaced where nothing is lost, else\n"
        "written in place (a link, hard links, an ACL); nothing when no frame was drawn.\n"
        "-MAXTRIANGLES sets the swap interval to 0 and -swapinterval N sets N (negative\n"
        "only with adaptive sync); without either the driver's setting stays. When it\n"
        "cannot be set, a line on standard error warns that rates may be capped by the\n"
        "display's refresh rate.\n"
        "\n"
        "A run is scripted when -frames, -seconds, -headless, -validate, -snapshot or\n"
        "-frametimes is given: it shows no box, a failure is one line on standard error.\n"
        "\n" +
        exitStatusTable();
    return text;
}

std::string versionText()
{
    return std::string("qlxtest ") + QLXTEST_VERSION + "\n";
}

std::optional<int> answerInformationRequest(int argc, char** argv)
{
    // Only as the first argument: elsewhere "--help" may be an option's value,
    // as in "-title --help".
    if (argc < 2)
        return std::nullopt;
    const bool help = std::strcmp(argv[1], "--help") == 0;
    if (!help && std::strcmp(argv[1], "--version") != 0)
        return std::nullopt;
    const std::string text = help ? usageText() : versionText();
    errno = 0;
    // A script that keeps the version (qlxtest --version > v.txt) must see a full disk.
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
        return 0;
    const int error = errno;
    std::fprintf(stderr, "Can't write the %s: %s\n", help ? "help" : "version",
                 error ? std::strerror(error) : "write error");
    std::fflush(stderr);
    return 1;
}
