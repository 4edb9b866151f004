#include "gui/views/AM_ImageFolderScan.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_MultiFrameGraphic.h"
#include "gui/views/AM_AGG_ViewMan.h"
#include "platform/FileSystem.h"

#include <cctype>
#include <vector>

namespace {

// The folder the scan starts in, and the level of the kind folders in it.
constexpr int32_t kRootLevel = 1;
constexpr int32_t kKindLevel = 2;
constexpr size_t kShortestName = 4;
constexpr char kPngSuffix[] = ".png";
constexpr size_t kPngSuffixLength = sizeof kPngSuffix - 1;
constexpr char kAnimationsKind[] = "Animations";

bool isPngName(const std::string& name)
{
    if (name.size() <= kPngSuffixLength) {
        return false;
    }
    for (size_t i = 0; i < kPngSuffixLength; ++i) {
        const auto c = static_cast<unsigned char>(name[name.size() - kPngSuffixLength + i]);
        if (std::tolower(c) != kPngSuffix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

AM_ImageFolderScan::AM_ImageFolderScan(AM_AGG_ViewMan& viewMan, uint32_t alternative)
    : viewMan_(viewMan), alternative_(alternative)
{
}

int32_t AM_ImageFolderScan::scan(const std::string& folder)
{
    added_ = 0;
    if (!folder.empty()) {
        std::string root = folder;
        if (root.back() != '/') {
            root += '/';
        }
        scanFolder(root, kRootLevel, 0);
    }
    return added_;
}

void AM_ImageFolderScan::scanFolder(const std::string& folder, int32_t level, uint32_t pathKind)
{
    std::vector<platform::FolderEntry> entries;
    if (platform::listFolder(folder.c_str(), entries) != platform::fileerror::kNone) {
        return;
    }
    const bool animations =
        level > kKindLevel && pathKind == uint32_t(viewMan_.findPathKind(kAnimationsKind));
    for (const platform::FolderEntry& entry : entries) {
        if (entry.name.size() < kShortestName) {
            continue;
        }
        if (!entry.isFolder) {
            if (isPngName(entry.name)) {
                addImage(folder, entry.name, pathKind);
            }
        } else if (level == kRootLevel) {
            scanFolder(folder + entry.name + "/", kKindLevel + 1,
                       uint32_t(viewMan_.findPathKind(entry.name.c_str())));
        } else if (animations) {
            addStrip(folder + entry.name + "/", entry.name, pathKind);
        }
    }
}

void AM_ImageFolderScan::addImage(const std::string& folder, const std::string& fileName,
                                  uint32_t pathKind)
{
    AM_Graphic* graphic =
        viewMan_.createGraphic((folder + fileName).c_str(), fileName.c_str(), alternative_);
    if (graphic == nullptr) {
        return;
    }
    if (viewMan_.findGraphic(graphic->getName(), alternative_) != nullptr) {
        delete graphic;
        return;
    }
    graphic->setPathIndex(pathKind);
    viewMan_.addGraphic(graphic);
    ++added_;
}

void AM_ImageFolderScan::addStrip(const std::string& folder, const std::string& name,
                                  uint32_t pathKind)
{
    if (viewMan_.findGraphic(name.c_str(), alternative_) != nullptr) {
        return;
    }
    auto* strip = new AM_MultiFrameGraphic(&viewMan_, alternative_);
    strip->setName(name.c_str());
    if (strip->addFramesFromFolder(folder.c_str()) == 0) {
        AM_STD::printv("animation folder '%s' has no frames\n", folder.c_str());
        delete strip;
        return;
    }
    strip->setPathIndex(pathKind);
    viewMan_.addGraphic(strip);
    ++added_;
}
