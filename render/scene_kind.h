#pragma once

#include <cstdint>

// The object the window shows.
enum class SceneKind : std::int32_t { Goblet = 0, TexturedQuad = 1, Teapot = 2 };
