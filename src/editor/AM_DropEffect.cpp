// The effect of a drop over the editor.

#include "editor/AM_DropEffect.h"

#include "platform/WindowEvent.h"

namespace {

uint32_t firstAllowed(uint32_t allowed, uint32_t preferred, uint32_t fallback)
{
    if ((allowed & preferred) != 0)
        return preferred;
    if ((allowed & fallback) != 0)
        return fallback;
    return kAM_DropEffectNone;
}

} // namespace

uint32_t AM_dropEffect(int modifiers, uint32_t allowed, bool accepted)
{
    if (!accepted)
        return kAM_DropEffectNone;
    if ((modifiers & platform::kModifierControl) != 0)
        return firstAllowed(allowed, kAM_DropEffectCopy, kAM_DropEffectMove);
    return firstAllowed(allowed, kAM_DropEffectMove, kAM_DropEffectCopy);
}
