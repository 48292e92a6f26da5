#include "app/device_list.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless_context.h"
#include "platform/quit.h"

void listDevices()
{
    if (!headlessAvailable())
        refuse("-listdevices is not available on this platform");
    const std::vector<HeadlessDevice> devices = headlessDevices();
    if (devices.empty()) {
        std::fputs("EGL lists no device: it cannot start here, or offers no device list\n", stderr);
        std::exit(1);
    }
    std::string text;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const HeadlessDevice& device = devices[i];
        text += std::to_string(i) + " " + device.node + " " +
                (device.failure.empty() ? device.renderer : "(no context: " + device.failure + ")") + "\n";
    }
    errno = 0;
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const std::string line = std::string("Can't write the device list: ") + std::strerror(errno) + "\n";
        std::fputs(line.c_str(), stderr);
        std::exit(1);
    }
    std::exit(0);
}
