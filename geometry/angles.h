#pragma once

inline constexpr double pi = 3.14159265358979323846;
inline constexpr double radiansPerDegree = pi / 180.0;
