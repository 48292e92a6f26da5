#pragma once
// Binary PPM (P6) output of a frame read back from the GL.

#include <string>
#include <vector>

// The whole file: header, then the rows top to bottom. rgb holds width ×
// height pixels of R, G and B bytes, rows bottom to top as glReadPixels
// gives them.
std::string ppmFile(int width, int height, const std::vector<unsigned char>& rgb);
