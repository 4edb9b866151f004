#pragma once
// The plug-in object the factory builds: the plug-in class plus the host's
// mouse-wheel message for the editor (effVendorSpecific).

#include "plugin/AM_VST_base.h"

class AM_VST_Edit : public AM_VST_base {
public:
    // effVendorSpecific with index 'stCA' and value 'Whee': the wheel
    // distance (opt) goes to the open editor; 1 when it used it.
    static constexpr VstInt32 kWheelIndex = vst::fourCharCode('s', 't', 'C', 'A');
    static constexpr VstIntPtr kWheelValue = vst::fourCharCode('W', 'h', 'e', 'e');

    using AM_VST_base::AM_VST_base;

    // Answers 0 for every other call, and while the editor is closed.
    // User-interface thread.
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
};
