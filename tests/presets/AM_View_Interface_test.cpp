// The host-independent interface on its own: without an audio manager it
// answers counts of 0 and null records, says so once on the standard
// output, and every by-name lookup misses quietly.

#include "presets/AM_View_Interface.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

namespace {

class DetachedInterface : public AM_View_Interface {
public:
    void nativePresetChanged(const char*) override {}
    std::vector<uint8_t> getFxpProgram() override { return {}; }
    std::vector<uint8_t> getStateInfo(const char*) override { return {}; }
    bool setStateInfo(const void*, uint32_t, const char*) override { return false; }
};

TEST(DetachedInterfaceTest, WithoutAnEngineEverythingIsEmptyAndNothingBreaks)
{
    testsupport::TraceCapture trace;
    DetachedInterface view;
    view.initialize(nullptr);
    EXPECT_NE(trace.standardOutput().find("AM_View_Interface::getNumParameters() failed...\n"),
              std::string::npos);
    EXPECT_EQ(view.getNumParameters(), 0);
    EXPECT_EQ(view.getNumModules(), 0);
    EXPECT_EQ(view.getParameterInfo(0, false), nullptr);
    EXPECT_EQ(view.getParameterValue(0), nullptr);
    EXPECT_EQ(view.findParameter("PCore", "SelMod"), nullptr);
    EXPECT_EQ(view.getModuleInfo("LFO1"), nullptr);
    EXPECT_EQ(view.getModuleInfoL("LFO1"), nullptr);
    EXPECT_EQ(view.getNumMetaParameters(), 0);
    EXPECT_STREQ(view.nextMetaParameterName(), "NoMeta");
    EXPECT_EQ(view.getModTarget(0, 0), -1);
    char text[AM_View_Interface::kDisplayTextBytes];
    view.getParameterDisplay(0, nullptr, text);
    EXPECT_STREQ(text, "void");
    EXPECT_STREQ(view.getDefaultExtension(), "h2p");
    EXPECT_EQ(view.getNativeFormat(), 1u);

    // Operations that need a view manager or lists do nothing.
    const float v = 1.0f;
    view.parameterChanged(0, &v, false);
    view.parameterChanged(0, &v, true);
    view.assignModTarget(0, 1, -1);
    view.updateActiveModules(true);
    view.midiLearnDone(3);
    view.updatePresetDisplay();
    view.selectModule("LFO1");
    EXPECT_EQ(view.getSelectedModuleId(), -1);
    view.reportUnexpectedCall();
    EXPECT_NE(trace.standardOutput().find("WTF?!?\n"), std::string::npos);
}

} // namespace
