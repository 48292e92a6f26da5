// The extremes campaign on the environment image: sizes at the reader's
// limits, every format at both ends of maxval, a gigabyte of comments, and
// things that are not plain readable files. Each case states its outcome.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "campaign.h"
#include "image/image_files.h"
#include "support/program_run.h"

namespace {

std::string rawImage(const char* magic, int width, int height, int maxval, const std::string& raster)
{
    return std::string(magic) + "\n" + std::to_string(width) + " " + std::to_string(height) + "\n" +
           std::to_string(maxval) + "\n" + raster;
}

// width x height pixels of one colour, raw RGB.
std::string uniformImage(int width, int height, const std::uint8_t rgb[3])
{
    std::string raster;
    raster.reserve(static_cast<std::size_t>(width) * height * 3);
    for (long i = 0; i < static_cast<long>(width) * height; ++i)
        raster.append({static_cast<char>(rgb[0]), static_cast<char>(rgb[1]), static_cast<char>(rgb[2])});
    return rawImage("P6", width, height, 255, raster);
}

class ImageExtremes : public Campaign {
protected:
    TempDir files;

    // The textured square shows the image; its centre must be the colour.
    void expectSquareShows(const std::string& fileName, const std::uint8_t rgb[3],
                           const std::vector<std::string>& moreArgs = {})
    {
        std::vector<std::string> args{"-TEXTURE", "-envfile", fileName};
        args.insert(args.end(), moreArgs.begin(), moreArgs.end());
        start(args, {}, files.path());
        expectRuns([&](const Screenshot& shot) {
            EXPECT_TRUE(centreIs(shot, rgb, 10, 2))
                << "centre " << int(shot.pixel(shot.width / 2, shot.height / 2)[0]) << " "
                << int(shot.pixel(shot.width / 2, shot.height / 2)[1]) << " "
                << int(shot.pixel(shot.width / 2, shot.height / 2)[2]);
        });
    }
};

// Sizes --------------------------------------------------------------------

const std::uint8_t orange[3] = {200, 120, 40};
const std::uint8_t green[3] = {40, 200, 120};
const std::uint8_t violet[3] = {120, 40, 200};

TEST_F(ImageExtremes, OnePixelImageRunsAndShowsItsColour)
{
    files.write("one.ppm", uniformImage(1, 1, orange));
    expectSquareShows("one.ppm", orange);
}

TEST_F(ImageExtremes, ImageOneRowOf65535RunsAndShowsItsColour)
{
    files.write("row.ppm", uniformImage(65535, 1, green));
    expectSquareShows("row.ppm", green);
}

TEST_F(ImageExtremes, ImageOneColumnOf65535RunsAndShowsItsColour)
{
    files.write("column.ppm", uniformImage(1, 65535, violet));
    expectSquareShows("column.ppm", violet);
}

// GLU rescales these widths to powers of two with heights it keeps; the
// program rescales the rows itself so that the colour survives.
TEST_F(ImageExtremes, ThinImagesShowTheirColour)
{
    for (const auto& [width, height] : {std::pair{300, 1}, std::pair{3, 1}, std::pair{7, 2}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        files.write("thin.ppm", uniformImage(width, height, green));
        expectSquareShows("thin.ppm", green);
        if (HasFailure())
            return;
    }
}

// 65535 x 65535 is 12 GiB of pixels, mostly black here; GLU cannot build
// mipmaps of it (it would write past its own buffers) and reports it.
TEST_F(ImageExtremes, HeaderPromising65535SquaredWithTenBytesIsAMipmapFailure)
{
    files.write("promise.ppm", "P6\n65535 65535\n255\n0123456789");
    start({"-envfile", "promise.ppm"}, {}, files.path());
    expectFatal("GLU Error", "GLU Error: out of memory");
}

// Without mipmaps the GL itself refuses a level that large; that outcome is
// not asked, and the program runs.
TEST_F(ImageExtremes, HeaderPromising65535SquaredRunsWithTheLinearFilter)
{
    files.write("promise.ppm", "P6\n65535 65535\n255\n0123456789");
    start({"-L", "-envfile", "promise.ppm"}, {}, files.path());
    expectRuns();
}

// maxval at both ends, every format: the picture equals that of an 8-bit
// image holding the scaled samples. ----------------------------------------

struct MaxvalCase {
    const char* name;
    const char* magic;
    int maxval;
};

void PrintTo(const MaxvalCase& c, std::ostream* out)
{
    *out << c.name;
}

class MaxvalExtremes : public Campaign, public ::testing::WithParamInterface<MaxvalCase> {
protected:
    TempDir files;

    Screenshot squareShowing(const std::string& fileName)
    {
        start({"-TEXTURE", "-N", "-envfile", fileName}, {}, files.path());
        expectRunning();
        if (HasFatalFailure())
            return {};
        const Screenshot shot = picture();
        expectEscapeEnds();
        return shot;
    }
};

TEST_P(MaxvalExtremes, PictureEqualsTheEightBitImage)
{
    const MaxvalCase& c = GetParam();
    const bool plain = c.magic[1] == '2' || c.magic[1] == '3';
    const int channels = c.magic[1] == '3' || c.magic[1] == '6' ? 3 : 1;
    const int width = 4;
    const int height = 4;

    std::string samples;
    std::string expectedRgb;
    for (int i = 0; i < width * height * channels; ++i) {
        // Raw samples are one byte whatever maxval says.
        int sample = 0;
        int scaled = 0;
        if (c.maxval == 1) {
            sample = (i * 7 + i / 3) % 2;
            scaled = sample * 255;
        } else if (plain) {
            scaled = (i * 53 + 17) % 256;
            sample = scaled * 257;
        } else {
            sample = (i * 53 + 17) % 256;
            scaled = static_cast<int>(sample * (255.0 / c.maxval) + 0.5);
        }
        if (plain)
            samples += std::to_string(sample) + (i % 12 == 11 ? "\n" : " ");
        else
            samples += static_cast<char>(sample);
        for (int repeat = 0; repeat < 4 - channels; ++repeat)
            expectedRgb += static_cast<char>(scaled);
    }
    files.write("tested.pnm", rawImage(c.magic, width, height, c.maxval, samples));
    files.write("reference.ppm", rawImage("P6", width, height, 255, expectedRgb));

    const Screenshot tested = squareShowing("tested.pnm");
    if (HasFatalFailure())
        return;
    const Screenshot reference = squareShowing("reference.ppm");
    if (HasFatalFailure())
        return;
    ASSERT_GT(tested.width, 0);
    EXPECT_EQ(tested.width, reference.width);
    EXPECT_TRUE(tested.rgb == reference.rgb) << "the picture differs from the 8-bit image's";
}

const MaxvalCase maxvalCases[] = {
    {"PlainGreyMaxval1", "P2", 1},   {"PlainGreyMaxval65535", "P2", 65535},
    {"PlainRgbMaxval1", "P3", 1},    {"PlainRgbMaxval65535", "P3", 65535},
    {"RawGreyMaxval1", "P5", 1},     {"RawGreyMaxval65535", "P5", 65535},
    {"RawRgbMaxval1", "P6", 1},      {"RawRgbMaxval65535", "P6", 65535},
};
INSTANTIATE_TEST_SUITE_P(Formats, MaxvalExtremes, ::testing::ValuesIn(maxvalCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A gigabyte of comment lines ------------------------------------------------

// 1 GiB of comment lines (one every MiB, their bodies left as holes, so the
// file takes a few MiB of disk), then a 1 x 1 image: the reader goes through
// all of it (in about 3 s) and the image is shown. The file goes with the
// directory.
TEST_F(ImageExtremes, GigabyteOfCommentLinesBeforeTheImageIsReadThrough)
{
    const std::string path = files.file("comments.ppm");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    constexpr off_t line = off_t{1} << 20;
    constexpr off_t lines = 1024;
    for (off_t k = 0; k < lines; ++k)
        ASSERT_EQ(::pwrite(fd, "\n#", 2, k * line), 2);
    const std::string image = "\n" + uniformImage(1, 1, orange);
    ASSERT_EQ(::pwrite(fd, image.data(), image.size(), lines * line), static_cast<ssize_t>(image.size()));
    ::close(fd);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    ASSERT_GT(info.st_size, off_t{1} << 30);
    if (info.st_blocks * 512 > (off_t{64} << 20))
        GTEST_SKIP() << "the file system here stores holes: a 1 GiB file would take 1 GiB of disk";
    expectSquareShows("comments.ppm", orange);
}

// Things that are not readable files ----------------------------------------

// Only a regular file is an image. A directory, a FIFO (even one with an
// image waiting in it) and a terminal, whose reads wait for ever, count as
// files that cannot be opened, and the search goes on as for a missing one.
TEST_F(ImageExtremes, OnlyARegularFileIsOpened)
{
    const std::string directory = files.file("images.ppm");
    ASSERT_EQ(::mkdir(directory.c_str(), 0755), 0);
    const std::string fifo = files.file("fifo.ppm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    const std::string image = uniformImage(2, 2, green);
    ASSERT_EQ(::write(writer, image.data(), image.size()), static_cast<ssize_t>(image.size()));
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const std::string terminalName = ::ptsname(terminal);

    for (const std::string& name : {directory, fifo, terminalName}) {
        SCOPED_TRACE(name);
        start({"-envfile", name}, {}, files.path());
        expectFatal("Loading Image Error", "Can't open file " + name + ".");
    }
    ASSERT_EQ(::mkdir(files.file("sky.ppm").c_str(), 0755), 0);
    start({}, {{"QLX_TEST_IMAGE_PATH", defaultImageDirectory()}}, files.path());
    expectRuns();
    ::close(terminal);
    ::close(writer);
}

// Permissions do not stop root, so as root the program runs as nobody, once
// with the file readable (it runs) and once without (the open failure).
class UnreadableImage : public ImageExtremes {
protected:
    std::vector<std::string> asUser;

    void SetUp() override
    {
        ASSERT_EQ(::chmod(files.path().c_str(), 0755), 0);
        if (::geteuid() != 0)
            return;
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || ::access("/usr/bin/setpriv", X_OK) != 0)
            GTEST_SKIP() << "running as root without setpriv or user nobody: permissions cannot be tried";
        asUser = {"/usr/bin/setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
                  "--regid=" + std::to_string(nobody->pw_gid), "--clear-groups"};
    }
};

TEST_F(UnreadableImage, ReadableFileRunsForTheSameUser)
{
    files.write("open.ppm", uniformImage(1, 1, violet));
    start({"-TEXTURE", "-envfile", "open.ppm"}, {}, files.path(), asUser);
    expectRuns([&](const Screenshot& shot) { EXPECT_TRUE(centreIs(shot, violet, 10, 2)); });
}

TEST_F(UnreadableImage, UnreadableFileIsAnOpenFailure)
{
    const std::string path = files.write("closed.ppm", uniformImage(1, 1, violet));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    start({"-envfile", "closed.ppm"}, {}, files.path(), asUser);
    expectFatal("Loading Image Error", "Can't open file closed.ppm.");
}

// A directory variable of 100,000 characters: no path that long can be
// opened, and the message names the file alone.
TEST_F(ImageExtremes, ImageDirectoryVariableOf100000CharactersIsAnOpenFailure)
{
    std::string directory;
    while (directory.size() < 100000)
        directory += "/" + std::string(254, 'd');
    directory.resize(100000);
    ASSERT_EQ(directory.size(), 100000u);
    start({"-envfile", "missing.ppm"}, {{"QLX_TEST_IMAGE_PATH", directory}}, files.path());
    expectFatal("Loading Image Error", "Can't open file missing.ppm.");
}

// The same variable, when the image itself opens, is never looked at.
TEST_F(ImageExtremes, ImageDirectoryVariableOf100000CharactersIsIgnoredWhenTheFileOpens)
{
    files.write("here.ppm", uniformImage(1, 1, orange));
    start({"-TEXTURE", "-envfile", "here.ppm"}, {{"QLX_TEST_IMAGE_PATH", std::string(100000, 'x')}},
          files.path());
    expectRuns([&](const Screenshot& shot) { EXPECT_TRUE(centreIs(shot, orange, 10, 2)); });
}

} // namespace
