#include "ImageSet.h"

#include <cstdio>
#include <filesystem>

namespace imagemaker {

void ImageSet::add(const std::string& path, float width, float height,
                   std::function<void(ImageCanvas&)> draw)
{
    images_.push_back({path, width, height, std::move(draw)});
}

void ImageSet::addStrip(const std::string& name, int frames, float width, float height,
                        const std::function<void(ImageCanvas&, float position)>& draw)
{
    const int count = frames < 2 ? 2 : frames;
    for (int i = 0; i < count; ++i) {
        char file[32];
        std::snprintf(file, sizeof file, "f%03d.png", i);
        const float position = float(i) / float(count - 1);
        add("Animations/" + name + "/" + file, width, height,
            [draw, position](ImageCanvas& canvas) { draw(canvas, position); });
    }
}

bool ImageSet::writeAll(const std::string& folder, std::string* error) const
{
    namespace fs = std::filesystem;
    for (const ImageSpec& image : images_) {
        const fs::path target = fs::path(folder) / image.path;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            if (error != nullptr)
                *error = target.parent_path().string() + ": " + ec.message();
            return false;
        }
        ImageCanvas canvas(image.width, image.height);
        image.draw(canvas);
        std::string reason;
        if (!canvas.writePng(target.string(), &reason)) {
            if (error != nullptr)
                *error = target.string() + ": " + reason;
            return false;
        }
    }
    return true;
}

} // namespace imagemaker
