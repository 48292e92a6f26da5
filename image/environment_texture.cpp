#include "image/environment_texture.h"

#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "image/mipmap_input.h"
#include "platform/fatal_error.h"
#include "platform/installation.h"
#include "platform/open_file.h"
#include "platform/path.h"

GLuint environmentTexture = 0;

namespace {

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, CloseFile>;

FileHandle openImageFile(const TextString& path)
{
    return FileHandle(openForReading(path.data()));
}

[[noreturn]] void reportOpenFailure(const TextString& fileName)
{
    const TextString text = TextString("Can't open file ") + fileName + ".";
    reportFatalError("Loading Image Error", text.data(), text.data());
}

[[noreturn]] void reportFormatFailure(const TextString& path)
{
    const TextString text = path + " is not ppm format.";
    reportFatalError("Image Format Error", text.data(), text.data());
}

[[noreturn]] void reportMipmapFailure(GLint code)
{
    const GLubyte* described = gluErrorString(static_cast<GLenum>(code));
    const TextString text = described ? reinterpret_cast<const char*>(described) : "unknown GLU error";
    const TextString line = TextString("GLU Error: ") + text;
    reportFatalError("GLU Error", text.data(), line.data());
}

} // namespace

TextString imageDirectoryPrefix(TextString directory)
{
    directory.trimRight();
    if (directory.charAt(directory.length()) != directorySeparator)
        directory.append(directorySeparator);
    return directory;
}

PnmImagePtr loadEnvironmentImage(const TextString& fileName, TextString directoryVariable,
                                 const char* unsetDirectory)
{
    // The path actually read, for the format message: the bare name when the
    // file opened directly.
    TextString path = fileName;
    FileHandle file = openImageFile(path);
    if (!file) {
        // The variable names one directory; it is looked at only now. Only a
        // variable that is not set at all gives way to the default.
        const char* directory = std::getenv(directoryVariable.data());
        if (!directory)
            directory = unsetDirectory;
        if (!directory)
            reportOpenFailure(fileName);
        path = imageDirectoryPrefix(directory) + fileName;
        file = openImageFile(path);
        if (!file)
            reportOpenFailure(fileName);
    }

    PnmImagePtr image(readPnmImage(file.get()));
    file.reset();
    if (!image)
        reportFormatFailure(path);
    return image;
}

void uploadEnvironmentImage(const PnmImage& image, GLint filter)
{
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    if (filter == GL_LINEAR_MIPMAP_LINEAR) {
        // Images GLU would get wrong are refused or have their rows rescaled
        // first, as mipmap_input.h explains.
        if (!mipmapsFitGlu(image.width, image.height))
            reportMipmapFailure(GLU_OUT_OF_MEMORY);
        GLint maxSide = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
        const int width = rowRescaleWidth(image.width, image.height, maxSide);
        std::unique_ptr<std::uint8_t[]> rows;
        if (width) {
            rows = rowsRescaled(image.pixels.get(), image.width, image.height, width);
            if (!rows)
                reportMipmapFailure(GLU_OUT_OF_MEMORY);
        }
        const GLint result = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width ? width : image.width, image.height,
                                               GL_RGB, GL_UNSIGNED_BYTE, rows ? rows.get() : image.pixels.get());
        if (result != 0)
            reportMipmapFailure(result);
    } else {
        // Level 0 only, at the image's own size; the GL's verdict is not asked.
        glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     image.pixels.get());
    }
}

GLint magnificationFilterFor(GLint minificationFilter)
{
    switch (minificationFilter) {
    case GL_NEAREST_MIPMAP_NEAREST:
    case GL_NEAREST_MIPMAP_LINEAR:
        return GL_NEAREST;
    case GL_LINEAR_MIPMAP_NEAREST:
    case GL_LINEAR_MIPMAP_LINEAR:
        return GL_LINEAR;
    default:
        return minificationFilter;
    }
}

void applyTextureFilter(GLint filter)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnificationFilterFor(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

void setUpEnvironmentTexture(const TextString& fileName, GLint filter, bool texturing)
{
    // Loaded and uploaded even without texturing: a key can switch it on later.
    setUpEnvironmentTextureImage(*loadEnvironmentImage(fileName, "QLX_TEST_IMAGE_PATH", installedDataDirectory()),
                                 filter, texturing);
}

void setUpEnvironmentTextureImage(const PnmImage& image, GLint filter, bool texturing)
{
    glGenTextures(1, &environmentTexture);
    glBindTexture(GL_TEXTURE_2D, environmentTexture);
    // Decoded rows are packed at 3 bytes a pixel with no padding.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    uploadEnvironmentImage(image, filter);

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (texturing)
        glEnable(GL_TEXTURE_2D);
    // Generation is only configured here; each frame switches it on and off.
    glTexGenf(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGenf(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    applyTextureFilter(filter);
}
