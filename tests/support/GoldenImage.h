#pragma once
// Reference pictures for drawing tests: a 32-bit BGRA picture (rows from
// the top) is compared with a PNG under the test folder's golden/ folder
// (KK_TEST_DATA). With KK_UPDATE_GOLDEN set, the reference is written
// instead: look at a rewritten picture before committing it.
//
//   KK_UPDATE_GOLDEN=1 build/<dir>/bin/test_<library> --gtest_filter='...'

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct BgraPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // 4 bytes a pixel, packed rows
};

// The reference picture's path for a name ("text_card_z1" ->
// <KK_TEST_DATA>/golden/text_card_z1.png).
std::string goldenPath(const std::string& name);

// Reads or writes a PNG as 8-bit BGRA without any colour correction;
// false when the file cannot be read or written.
bool readPng(const std::string& path, BgraPicture& picture);
bool writePng(const std::string& path, const uint8_t* bgra, int width, int height, int stride);

// "" when the picture matches the reference named name: the same size,
// and no channel of more than maxOffPixels pixels further than tolerance
// from the reference. Otherwise a description, and the picture is written
// as <name>.actual.png in the working folder for a look, and <name>.diff.png
// shows the differing pixels in red over the faded reference. With
// KK_UPDATE_GOLDEN set, the reference is written and "" returned.
std::string compareWithGolden(const std::string& name, const uint8_t* bgra, int width, int height,
                              int stride, int tolerance, int maxOffPixels = 0);

} // namespace testsupport
