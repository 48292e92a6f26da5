#pragma once

// Whether a blank-separated extension list names the extension: whole names
// only, so GLX_EXT_swap_control is not found in GLX_EXT_swap_control_tear.
bool namesExtension(const char* list, const char* name);
