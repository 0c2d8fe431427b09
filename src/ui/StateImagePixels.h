// The two state images of the binding list, drawn by the program at any pixel size:
// 0 is a black tick on transparency, 1 a red disc with a white cross and a grey shadow.
#pragma once

#include <cstdint>
#include <vector>

// Pixels of a size x size image, rows top-down, each 0xAARRGGBB with premultiplied alpha
// (the layout of a 32-bit top-down DIB section).
std::vector<std::uint32_t> StateImagePixels(int image, int size);
