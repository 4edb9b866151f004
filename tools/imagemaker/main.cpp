// kk-imagemaker --out FOLDER   draws the surface's images into FOLDER
// kk-imagemaker --list         lists them with their sizes in GUI units

#include "ImageGroups.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    imagemaker::ImageSet set;
    imagemaker::addAllImages(set);
    if (argc == 2 && std::string(argv[1]) == "--list") {
        for (const imagemaker::ImageSpec& image : set.images())
            std::cout << image.path << "\t" << image.width << " x " << image.height << "\n";
        return 0;
    }
    if (argc != 3 || std::string(argv[1]) != "--out") {
        std::cerr << "usage: kk-imagemaker --out FOLDER | --list\n";
        return 2;
    }
    std::string error;
    if (!set.writeAll(argv[2], &error)) {
        std::cerr << "kk-imagemaker: " << error << "\n";
        return 1;
    }
    std::cout << "kk-imagemaker: " << set.images().size() << " images in " << argv[2] << "\n";
    return 0;
}
