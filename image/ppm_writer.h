#pragma once
// Binary PPM (P6) output of a frame read back from the GL.

#include <string>
#include <vector>

// The whole file: header, then the rows top to bottom. rgb holds width ×
// height pixels of R, G and B bytes, rows bottom to top as glReadPixels
// gives them.
std::string ppmFile(int width, int height, const std::vector<unsigned char>& rgb);

// 64-bit FNV-1a of the bytes ppmFile writes after its header, in 16 lower-case
// hex digits: a frame's fingerprint for comparing runs.
std::string ppmPixelChecksum(int width, int height, const std::vector<unsigned char>& rgb);
