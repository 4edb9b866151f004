#include "ImageGroups.h"

namespace imagemaker {

namespace {

using Group = void (*)(ImageSet&);

constexpr Group kGroups[] = {
    &addKnobImages, &addSliderImages, &addPanelImages, &addButtonImages, &addEditIcons,
};

} // namespace

void addAllImages(ImageSet& set)
{
    for (Group group : kGroups)
        group(set);
}

} // namespace imagemaker
