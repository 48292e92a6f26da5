#include "image_files.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/process.h"

TempDir::TempDir()
{
    std::string pattern = "/tmp/qlxtest-image-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    runShell("rm -rf " + shellQuote(path_));
}

std::string TempDir::file(const std::string& name) const
{
    return path_ + "/" + name;
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::string target = file(name);
    std::ofstream out(target, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + target);
    return target;
}

PnmImagePtr readPnmFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw std::runtime_error("cannot open " + path);
    PnmImagePtr image(readPnmImage(file));
    std::fclose(file);
    return image;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::uint8_t> pixelsOf(const PnmImage& image)
{
    const std::size_t size = static_cast<std::size_t>(image.width) * image.height * 3;
    return {image.pixels.get(), image.pixels.get() + size};
}

bool toolsAvailable(const std::vector<std::string>& programs)
{
    for (const auto& program : programs) {
        if (!runShell("command -v " + shellQuote(program) + " >/dev/null 2>&1"))
            return false;
    }
    return true;
}

bool runShell(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}
