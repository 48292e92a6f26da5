#pragma once
// A private Xvfb server for one test program: started on a display number the
// server picks itself (never the caller's DISPLAY), stopped on destruction.

#include <string>
#include <sys/types.h>
#include <vector>

class VirtualDisplay {
public:
    // serverArgs go to Xvfb after the program's own ("-fp", "built-ins" leaves
    // it only the built-in font, like a machine without font packages).
    explicit VirtualDisplay(int width = 1280, int height = 1024, const std::vector<std::string>& serverArgs = {});
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", for DISPLAY.
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};
