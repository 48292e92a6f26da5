#include <gtest/gtest.h>
#include <optional>

#include "app/settings.h"
#include "app/swap_interval_request.h"
#include "platform/extension_list.h"

namespace {

bool offered()
{
    return true;
}

bool notOffered()
{
    return false;
}

// Given values win over the benchmark's 0; a negative one needs adaptive
// sync and counts as not given without it.
TEST(SwapIntervalRequest, NegativeOnlyWithAdaptiveSync)
{
    EXPECT_EQ(requestedSwapInterval(-1, 0, offered), -1);
    EXPECT_EQ(requestedSwapInterval(-1, 0, notOffered), std::nullopt);
    EXPECT_EQ(requestedSwapInterval(-1, 1, notOffered), 0);
    EXPECT_EQ(requestedSwapInterval(optionAbsent, 0, offered), std::nullopt);
    // Only a whole name in the list counts.
    EXPECT_FALSE(namesExtension("GLX_EXT_swap_control_tear GLX_MESA_swap_control", "GLX_EXT_swap_control"));
    EXPECT_TRUE(namesExtension("GLX_EXT_swap_control_tear GLX_EXT_swap_control", "GLX_EXT_swap_control"));
}

} // namespace
