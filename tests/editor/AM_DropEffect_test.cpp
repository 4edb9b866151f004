#include "editor/AM_DropEffect.h"

#include <gtest/gtest.h>

namespace {

constexpr int kShift = 1;
constexpr int kControl = 4;
constexpr int kAlt = 8;
constexpr uint32_t kBoth = kAM_DropEffectCopy | kAM_DropEffectMove;

TEST(DropEffect, ModifiersChooseAmongTheEffectsTheSourceAllows)
{
    struct Case {
        int modifiers;
        uint32_t allowed;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, kBoth, kAM_DropEffectMove},
        {kControl, kBoth, kAM_DropEffectCopy},
        {kShift, kBoth, kAM_DropEffectMove},
        {kControl | kShift, kBoth, kAM_DropEffectCopy},
        {kAlt, kBoth, kAM_DropEffectMove},
        // A source that allows only a copy copies whatever is held.
        {0, kAM_DropEffectCopy, kAM_DropEffectCopy},
        {kShift, kAM_DropEffectCopy, kAM_DropEffectCopy},
        {kControl, kAM_DropEffectCopy, kAM_DropEffectCopy},
        // Only a move: Control falls back to it.
        {kControl, kAM_DropEffectMove, kAM_DropEffectMove},
        {0, kAM_DropEffectMove, kAM_DropEffectMove},
        {0, kAM_DropEffectNone, kAM_DropEffectNone},
        {kControl, kAM_DropEffectNone, kAM_DropEffectNone},
        {kShift, kAM_DropEffectNone, kAM_DropEffectNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AM_dropEffect(c.modifiers, c.allowed, true), c.expected)
            << "modifiers " << c.modifiers << " allowed " << c.allowed;
}

TEST(DropEffect, DataTheEditorDoesNotTakeHasNoEffect)
{
    for (const int modifiers : {0, kShift, kControl})
        EXPECT_EQ(AM_dropEffect(modifiers, kBoth, false), kAM_DropEffectNone);
}

} // namespace
