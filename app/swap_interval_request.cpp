#include "app/swap_interval_request.h"

#include "app/settings.h"

std::optional<int> requestedSwapInterval(int option, int maxTriangles, bool (*adaptiveOffered)())
{
    if (option != optionAbsent && (option >= 0 || adaptiveOffered()))
        return option;
    if (maxTriangles)
        return 0;
    return std::nullopt;
}

std::string swapIntervalWarning(int asked, std::optional<int> inForce)
{
    if (inForce == asked)
        return "";
    return "Swap interval " + std::to_string(asked) + " could not be set; the interval in force is " +
           swapIntervalValue(inForce) + ": rates may be capped by the display's refresh rate.";
}

std::string swapIntervalValue(std::optional<int> inForce)
{
    return inForce ? std::to_string(*inForce) : "unknown";
}
