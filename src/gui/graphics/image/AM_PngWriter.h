#pragma once
// Writes a top-down BGRA picture (premultiplied or not: the bytes go out as
// they are) as an 8-bit RGBA PNG file: screenshots, generated artwork.
//
// Any thread that may touch files; never the audio thread.

#include <cstdint>
#include <string>

// True when the whole file was written; false with a reason in *error
// (when given): bad size, unwritable path.
bool AM_writePngFile(const char* path, const uint8_t* bgra, int32_t width, int32_t height,
                     int32_t strideBytes, std::string* error = nullptr);
