#include "platform/headless_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/extension_list.h"

namespace {

template <typename Function>
Function entryPoint(const char* name)
{
    return reinterpret_cast<Function>(eglGetProcAddress(name));
}

// One way to an EGL display: a device, or the surfaceless platform.
struct EglCandidate {
    std::string name;  // as failures name it: "device 0 (/dev/dri/renderD128)", "surfaceless"
    EGLenum platform;
    void* native;
};

// The devices EGL lists, in its order, and the query that names them; no
// devices where EGL cannot start or offers no device list.
struct EglDevices {
    std::vector<EGLDeviceEXT> devices;
    PFNEGLQUERYDEVICESTRINGEXTPROC deviceString = nullptr;

    bool software(std::size_t i) const
    {
        return namesExtension(deviceString(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software");
    }

    // The device's node, as the user sees it in /dev; empty where EGL names
    // none (Mesa's software device offers the render-node query, and no name).
    std::string file(std::size_t i) const
    {
        const char* extensions = deviceString(devices[i], EGL_EXTENSIONS);
        const char* file = nullptr;
        if (namesExtension(extensions, "EGL_EXT_device_drm_render_node"))
            file = deviceString(devices[i], EGL_DRM_RENDER_NODE_FILE_EXT);
        if (!file && namesExtension(extensions, "EGL_EXT_device_drm"))
            file = deviceString(devices[i], EGL_DRM_DEVICE_FILE_EXT);
        return file ? file : "";
    }

    EglCandidate candidate(std::size_t i) const
    {
        std::string name = (software(i) ? "software device " : "device ") + std::to_string(i);
        const std::string node = file(i);
        if (!node.empty())
            name += " (" + node + ")";
        return {name, EGL_PLATFORM_DEVICE_EXT, devices[i]};
    }
};

EglDevices eglDevices()
{
    EglDevices listed;
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const auto queryDevices = entryPoint<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
    listed.deviceString = entryPoint<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
    EGLint count = 0;
    if (!namesExtension(client, "EGL_EXT_platform_device") || !queryDevices || !listed.deviceString ||
        !queryDevices(0, nullptr, &count) || count <= 0)
        return listed;
    listed.devices.resize(static_cast<std::size_t>(count));
    queryDevices(count, listed.devices.data(), &count);
    listed.devices.resize(static_cast<std::size_t>(std::max(count, 0)));
    return listed;
}

// Mesa lists its software device first: a GPU server must not end up
// measuring that, so devices without the software mark go first, then the
// software ones, then the surfaceless platform. Devices keep EGL's numbers.
std::vector<EglCandidate> eglCandidates()
{
    std::vector<EglCandidate> candidates;
    const EglDevices listed = eglDevices();
    for (const bool software : {false, true}) {
        for (std::size_t i = 0; i < listed.devices.size(); ++i) {
            if (listed.software(i) == software)
                candidates.push_back(listed.candidate(i));
        }
    }
    if (namesExtension(eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS), "EGL_MESA_platform_surfaceless"))
        candidates.push_back({"surfaceless", EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY});
    return candidates;
}

EGLint attribute(EGLDisplay display, EGLConfig config, EGLint name)
{
    EGLint value = 0;
    eglGetConfigAttrib(display, config, name, &value);
    return value;
}

// EGL sorts smaller depth buffers and deeper colours first; either changes
// the picture (a 16-bit depth lets the teapot's passes fight, 10-bit colour
// rounds the blend differently), so every candidate is checked.
EGLConfig chooseConfig(EGLDisplay display)
{
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_COLOR_BUFFER_TYPE, EGL_RGB_BUFFER,
                             EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                             EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, nullptr, 0, &count) || count <= 0)
        return nullptr;
    std::vector<EGLConfig> configs(static_cast<std::size_t>(count));
    eglChooseConfig(display, wanted, configs.data(), count, &count);
    for (EGLint i = 0; i < count; ++i) {
        const EGLConfig config = configs[static_cast<std::size_t>(i)];
        if (attribute(display, config, EGL_RED_SIZE) == 8 && attribute(display, config, EGL_GREEN_SIZE) == 8 &&
            attribute(display, config, EGL_BLUE_SIZE) == 8 && attribute(display, config, EGL_ALPHA_SIZE) == 8 &&
            attribute(display, config, EGL_DEPTH_SIZE) >= 24 && attribute(display, config, EGL_SAMPLE_BUFFERS) == 0)
            return config;
    }
    return nullptr;
}

// A display part way set up; torn down on the way out unless kept, so a
// candidate that fails leaves nothing behind for the next one.
struct SetUp {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    bool kept = false;

    SetUp() = default;
    ~SetUp()
    {
        if (display == EGL_NO_DISPLAY || kept)
            return;
        if (context != EGL_NO_CONTEXT) {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            eglDestroyContext(display, context);
        }
        if (surface != EGL_NO_SURFACE)
            eglDestroySurface(display, surface);
        eglTerminate(display);
    }
    SetUp(const SetUp&) = delete;
    SetUp& operator=(const SetUp&) = delete;
};

// Takes one candidate through the whole set-up, display to current context,
// into setUp. Returns the buffer's size, or why this candidate cannot draw.
HeadlessSize tryCandidate(SetUp& setUp, const EglCandidate& candidate, int width, int height)
{
    const auto platformDisplay = entryPoint<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (!platformDisplay)
        return {0, 0, "EGL offers no eglGetPlatformDisplayEXT"};
    setUp.display = platformDisplay(candidate.platform, candidate.native, nullptr);
    const EGLDisplay display = setUp.display;
    if (display == EGL_NO_DISPLAY)
        return {0, 0, "EGL gives no display for it"};
    if (!eglInitialize(display, nullptr, nullptr))
        return {0, 0, "EGL cannot initialise its display"};
    if (!namesExtension(eglQueryString(display, EGL_CLIENT_APIS), "OpenGL") || !eglBindAPI(EGL_OPENGL_API))
        return {0, 0, "it does not offer desktop OpenGL"};
    const EGLConfig config = chooseConfig(display);
    if (!config)
        return {0, 0, "no EGL configuration with 8-bit colour and alpha and a 24-bit depth buffer"};
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    setUp.surface = eglCreatePbufferSurface(display, config, size);
    if (setUp.surface == EGL_NO_SURFACE)
        return {0, 0, "EGL cannot make a " + std::to_string(width) + " x " + std::to_string(height) + " buffer"};
    // No attributes: OpenGL 1.0 or later, which EGL gives as a compatibility profile.
    setUp.context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (setUp.context == EGL_NO_CONTEXT)
        return {0, 0, "EGL cannot make an OpenGL context"};
    if (!eglMakeCurrent(display, setUp.surface, setUp.surface, setUp.context))
        return {0, 0, "EGL cannot make its OpenGL context current"};
    EGLint actualWidth = width;
    EGLint actualHeight = height;
    eglQuerySurface(display, setUp.surface, EGL_WIDTH, &actualWidth);
    eglQuerySurface(display, setUp.surface, EGL_HEIGHT, &actualHeight);
    return {actualWidth, actualHeight, {}};
}

} // namespace

bool headlessAvailable()
{
    return true;
}

HeadlessSize openHeadlessContext(int width, int height, int device)
{
    std::vector<EglCandidate> candidates;
    std::string failures = "no EGL candidate could draw: ";
    if (device == anyHeadlessDevice) {
        candidates = eglCandidates();
        if (candidates.empty())
            return {0, 0, failures + "EGL lists no device and no surfaceless platform"};
    } else {
        failures = "-device " + std::to_string(device) + " could not draw: ";
        const EglDevices listed = eglDevices();
        if (device < 0 || static_cast<std::size_t>(device) >= listed.devices.size())
            return {0, 0, failures + "EGL lists no such device"};
        candidates.push_back(listed.candidate(static_cast<std::size_t>(device)));
    }
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        SetUp setUp;
        const HeadlessSize size = tryCandidate(setUp, candidates[i], width, height);
        if (size.failure.empty()) {
            setUp.kept = true;
            return size;
        }
        failures += (i == 0 ? "" : "; ") + candidates[i].name + ": " + size.failure;
    }
    return {0, 0, failures};
}

int headlessDeviceCount()
{
    // Without a vendor library EGL names no client extension: it did not start.
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!client || !*client)
        return -1;
    return static_cast<int>(eglDevices().devices.size());
}

std::vector<HeadlessDevice> headlessDevices()
{
    const EglDevices listed = eglDevices();
    std::vector<HeadlessDevice> shown;
    for (std::size_t i = 0; i < listed.devices.size(); ++i) {
        HeadlessDevice device{listed.file(i), "", ""};
        if (device.node.empty())
            device.node = listed.software(i) ? "software" : "-";
        SetUp setUp;
        device.failure = tryCandidate(setUp, listed.candidate(i), 16, 16).failure;
        if (device.failure.empty()) {
            const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
            device.renderer = renderer ? renderer : "";
        }
        shown.push_back(device);
    }
    return shown;
}
