#include "image/pnm_reader.h"

#include <new>

#include "options/number_text.h"
#include "platform/stream_lock.h"

namespace {

// A token holds at most 255 characters; longer ones continue as the next token.
constexpr int tokenCapacity = 256;

// Only valid under a StreamLock.
inline int nextChar(std::FILE* stream)
{
    return readCharLocked(stream);
}

inline bool isPnmSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Consumes the rest of a comment line, its line feed included.
void skipComment(std::FILE* stream)
{
    int c;
    do
        c = nextChar(stream);
    while (c != '\n' && c != EOF);
}

bool isAcceptedDimension(int value)
{
    return value >= 1 && value <= pnmLimit;
}

// Maps samples of 0..maxval to bytes. maxval 255 keeps the sample's low 8
// bits untouched; any other maxval scales with rounding, halves up.
class SampleScale {
public:
    explicit SampleScale(int maxval) : asIs_(maxval == 255), factor_(255.0 / maxval) {}

    std::uint8_t operator()(int sample) const
    {
        if (asIs_)
            return static_cast<std::uint8_t>(sample);
        // |sample * factor| < 2^31 * 255, well inside long long.
        return static_cast<std::uint8_t>(static_cast<long long>(sample * factor_ + 0.5));
    }

    bool keepsBytes() const { return asIs_; }

private:
    bool asIs_;
    double factor_;
};

// Scaled value of every possible raw byte.
struct ByteTable {
    explicit ByteTable(const SampleScale& scale)
    {
        for (int b = 0; b < 256; ++b)
            value[b] = scale(b);
    }
    std::uint8_t value[256];
};

// Plain rasters: one decimal token a sample. Stops quietly when the input
// ends; what is not reached stays black.
void readPlainGrey(std::FILE* stream, std::uint8_t* pixels, std::size_t count, const SampleScale& scale)
{
    char token[tokenCapacity];
    for (std::size_t i = 0; i < count; ++i) {
        if (readPnmToken(stream, token, tokenCapacity) == 0)
            return;
        const std::uint8_t v = scale(parseIntText(token));
        pixels[3 * i] = pixels[3 * i + 1] = pixels[3 * i + 2] = v;
    }
}

void readPlainRgb(std::FILE* stream, std::uint8_t* pixels, std::size_t count, const SampleScale& scale)
{
    char token[tokenCapacity];
    for (std::size_t i = 0; i < count * 3; ++i) {
        if (readPnmToken(stream, token, tokenCapacity) == 0)
            return;
        pixels[i] = scale(parseIntText(token));
    }
}

// Raw rasters: one byte a sample whatever maxval says, read in one block.
// A short raster leaves the rest zero, which scales to black.
bool readRawGrey(std::FILE* stream, std::uint8_t* pixels, std::size_t count, const SampleScale& scale)
{
    const std::unique_ptr<std::uint8_t[], PnmImage::ReleaseBytes> grey(
        static_cast<std::uint8_t*>(std::calloc(count, 1)));
    if (!grey)
        return false;
    const std::size_t got = std::fread(grey.get(), 1, count, stream);
    const ByteTable table(scale);
    for (std::size_t i = 0; i < got; ++i) {
        const std::uint8_t v = table.value[grey[i]];
        pixels[3 * i] = pixels[3 * i + 1] = pixels[3 * i + 2] = v;
    }
    return true;
}

void readRawRgb(std::FILE* stream, std::uint8_t* pixels, std::size_t count, const SampleScale& scale)
{
    const std::size_t got = std::fread(pixels, 1, count * 3, stream);
    if (scale.keepsBytes())
        return;
    const ByteTable table(scale);
    for (std::size_t i = 0; i < got; ++i)
        pixels[i] = table.value[pixels[i]];
}

} // namespace

int readPnmToken(std::FILE* stream, char* buffer, int capacity)
{
    if (capacity < 1)
        return 0;
    buffer[0] = '\0';
    if (capacity < 2)
        return 0;

    const StreamLock lock(stream);
    int c = nextChar(stream);
    while (isPnmSpace(c) || c == '#') {
        if (c == '#')
            skipComment(stream);
        c = nextChar(stream);
    }
    if (c == EOF)
        return 0;

    int n = 0;
    buffer[n++] = static_cast<char>(c);
    while (n < capacity - 1) {
        c = nextChar(stream);
        if (c == EOF || isPnmSpace(c))
            break;
        if (c == '#') {
            skipComment(stream);
            break;
        }
        buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = '\0';
    return n;
}

int readPnmHeader(std::FILE* stream, int& width, int& height, int& maxval)
{
    char token[tokenCapacity];
    if (readPnmToken(stream, token, tokenCapacity) != 2 || token[0] != 'P' || token[1] < '1' ||
        token[1] > '6')
        return 0;
    const int format = token[1] - '0';

    readPnmToken(stream, token, tokenCapacity);
    width = parseIntText(token);
    readPnmToken(stream, token, tokenCapacity);
    height = parseIntText(token);
    if (format == 1 || format == 4) {
        maxval = 1;
    } else {
        readPnmToken(stream, token, tokenCapacity);
        maxval = parseIntText(token);
    }
    return format;
}

PnmImage* readPnmImage(std::FILE* stream)
{
    const StreamLock lock(stream);
    int width = 0;
    int height = 0;
    int maxval = 0;
    const int format = readPnmHeader(stream, width, height, maxval);
    // Bilevel kinds are recognised but not decoded. Out-of-range sizes would
    // not fit the 16-bit fields (or would overflow the byte count), and
    // maxval 0 or below has no meaning.
    if (format == 0 || format == 1 || format == 4)
        return nullptr;
    if (!isAcceptedDimension(width) || !isAcceptedDimension(height) || maxval < 1 || maxval > pnmLimit)
        return nullptr;

    PnmImagePtr image(new (std::nothrow) PnmImage);
    if (!image)
        return nullptr;
    image->width = static_cast<std::uint16_t>(width);
    image->height = static_cast<std::uint16_t>(height);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    image->pixels.reset(static_cast<std::uint8_t*>(std::calloc(count, 3)));
    if (!image->pixels)
        return nullptr;

    const SampleScale scale(maxval);
    std::uint8_t* const pixels = image->pixels.get();
    switch (format) {
    case 2:
        readPlainGrey(stream, pixels, count, scale);
        break;
    case 3:
        readPlainRgb(stream, pixels, count, scale);
        break;
    case 5:
        if (!readRawGrey(stream, pixels, count, scale))
            return nullptr;
        break;
    default:
        readRawRgb(stream, pixels, count, scale);
        break;
    }
    return image.release();
}

void freePnmImage(PnmImage* image)
{
    if (!image)
        return;
    image->pixels.reset();
    delete image;
}
