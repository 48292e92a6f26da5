#include "support/gl_test_window.h"

#include <GL/freeglut.h>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <memory>

#include "support/virtual_display.h"

namespace {

// The GL driver is loaded with dlopen and unloaded at exit, before the leak
// checker symbolizes its stacks; its allocations then show as an unknown module
// and cannot be matched by the suppressions. Keeping every loaded library
// resident lets the suppressions name the driver.
void keepLoadedLibrariesResident()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name && *info->dlpi_name)
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

} // namespace

void ensureGlTestWindow(int width, int height, unsigned mode)
{
    static std::unique_ptr<VirtualDisplay> display;
    if (display)
        return;
    display = std::make_unique<VirtualDisplay>();
    setenv("DISPLAY", display->name().c_str(), 1);
    int argc = 1;
    char name[] = "qlxtest-gl-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(mode);
    glutInitWindowSize(width, height);
    glutCreateWindow(name);
    // freeglut maps the window on its first event round; drawing needs it mapped.
    glutDisplayFunc([] {});
    glutMainLoopEvent();
    keepLoadedLibrariesResident();
}
