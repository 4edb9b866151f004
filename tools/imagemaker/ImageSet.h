#pragma once
// The images of the surface: each a path inside the images folder, a size
// in GUI units and a drawing. Animation strips are folders
// "Animations/<name>/" of frames "f000.png", "f001.png", ... whose drawing
// gets the frame's position 0..1.

#include "ImageCanvas.h"

#include <functional>
#include <string>
#include <vector>

namespace imagemaker {

struct ImageSpec {
    std::string path; // relative to the images folder, with ".png"
    float width;
    float height;
    std::function<void(ImageCanvas&)> draw;
};

class ImageSet {
public:
    void add(const std::string& path, float width, float height,
             std::function<void(ImageCanvas&)> draw);
    // A strip of `frames` frames (at least 2) named after the folder.
    void addStrip(const std::string& name, int frames, float width, float height,
                  const std::function<void(ImageCanvas&, float position)>& draw);

    const std::vector<ImageSpec>& images() const { return images_; }

    // Draws and writes every image below `folder` (made when missing);
    // false with a reason at the first failure.
    bool writeAll(const std::string& folder, std::string* error) const;

private:
    std::vector<ImageSpec> images_;
};

} // namespace imagemaker
