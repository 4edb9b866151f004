// The image-folder scan of a fixture tree: path kinds from the sub-folders,
// animation strips with their frames in name order, themes and repeats.

#include "MenuFixture.h"
#include "TempDir.h"

#include "gui/graphics/AM_MultiFrameGraphic.h"
#include "gui/views/AM_ImageFolderScan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace viewtest;

namespace {

class ImageScanTest : public EditorTest {
protected:
    ImageScanTest()
    {
        // The decoder is not asked: graphics load when they are first used.
        for (const char* file :
             {"images/Knob.png", "images/x.png", "images/.png", "images/notes.txt",
              "images/Controls/Fader.png", "images/Controls/Deeper/Nested.png",
              "images/Icons/Star.PNG", "images/Weird/Thing.png",
              "images/Animations/Spinner/frame_10.png", "images/Animations/Spinner/frame_02.png",
              "images/Animations/Spinner/frame_01.png", "images/Animations/Spinner/readme.txt",
              "images/Animations/Loose.png", "images/ab/Short.png", "theme/Knob.png"}) {
            dir.writeFile(file, "");
        }
        dir.makeDir("images/Animations/Empty");
    }

    std::vector<std::string> graphicList() const
    {
        std::vector<std::string> names;
        for (AM_GuiObject* g = vm->getGraphics(); g != nullptr; g = g->getNext()) {
            const auto* graphic = static_cast<const AM_Graphic*>(g);
            names.push_back(std::string(graphic->getName()) + ":" +
                            std::to_string(graphic->getPathIndex()) + ":" +
                            std::to_string(graphic->getKey()));
        }
        return names;
    }

    testsupport::TempDir dir;
};

TEST_F(ImageScanTest, SubFoldersGivePathKindsAndAnimationFoldersGiveStrips)
{
    vm->loadImages((dir.path() + "/images/").c_str(), 0);
    EXPECT_EQ(graphicList(), (std::vector<std::string>{
                                 "Loose:4:0",   // a file of the Animations folder itself
                                 "Spinner:4:0", // the strip
                                 "Fader:2:0",   // Controls; Deeper/ is not scanned
                                 "Star:5:0",    // Icons, any case of ".png"
                                 "Knob:0:0",
                                 "Thing:0:0", // an unknown kind folder
                                 "x:0:0",
                             }));
    auto* strip = dynamic_cast<AM_MultiFrameGraphic*>(vm->findGraphic("Spinner", 0));
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(strip->getFrameCount(), 3u);
    EXPECT_STREQ(strip->getFrame(0)->getName(), "frame_01");
    EXPECT_STREQ(strip->getFrame(1)->getName(), "frame_02");
    EXPECT_STREQ(strip->getFrame(2)->getName(), "frame_10");
    // No frame is a graphic of the list, and an empty strip folder gives none.
    EXPECT_EQ(vm->findGraphic("Empty", 0), nullptr);
}

TEST_F(ImageScanTest, ARepeatedScanAddsNothingAndAThemeAddsItsAlternative)
{
    const std::string images = dir.path() + "/images/";
    AM_ImageFolderScan first(*vm, 0);
    EXPECT_EQ(first.scan(images), 7);
    AM_ImageFolderScan again(*vm, 0);
    EXPECT_EQ(again.scan(images), 0);

    AM_ImageFolderScan theme(*vm, 2);
    EXPECT_EQ(theme.scan(dir.path() + "/theme"), 1);
    AM_Graphic* common = vm->findGraphic("Knob", 0);
    AM_Graphic* themed = vm->findGraphic("Knob", 2);
    ASSERT_NE(themed, nullptr);
    EXPECT_NE(themed, common);
    vm->setAlternativeForTest(2);
    EXPECT_EQ(vm->getGraphic("Knob"), themed);
    EXPECT_EQ(vm->getGraphic("Fader"), vm->findGraphic("Fader", 0));
}

TEST_F(ImageScanTest, AFolderThatCannotBeListedIsLeftAlone)
{
    vm->loadImages((dir.path() + "/missing/").c_str(), 0);
    vm->loadImages((dir.path() + "/images/Knob.png").c_str(), 0);
    vm->loadImages(nullptr, 0);
    EXPECT_TRUE(graphicList().empty());
}

} // namespace
