// Run once before the tests that must see SDL's message box.

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/virtual_display.h"

namespace {

TEST(Rig, XServerOffersTheFontOfSdlsMessageBox)
{
    VirtualDisplay display;
    const std::string fonts = captureCommand("xlsfonts -display " + display.name() +
                                             " -fn '-*-*-medium-r-normal--*-120-*' 2>/dev/null");
    ASSERT_FALSE(fonts.empty())
        << "Xvfb has no core font matching -*-*-medium-r-normal--*-120-*, so SDL's message box "
           "cannot appear and the program falls back to its own notice. Install the xfonts-base "
           "package (tools/install-deps does).";
}

} // namespace
