#include "geometry/display_lists.h"

// Placeholder until the scene geometry lands: no lists yet.
void buildDisplayLists()
{
}
