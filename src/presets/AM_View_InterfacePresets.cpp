// The GUI-to-engine interface: the preset operations.

#include "presets/AM_View_Interface.h"

void AM_View_Interface::updatePresetDisplay() {}

void AM_View_Interface::setCurrentPreset(const char*, const char*, const char*) {}

const char* AM_View_Interface::getCurrentPresetName(const char*)
{
    return nullptr;
}

const char* AM_View_Interface::getCurrentPresetExtension(const char*)
{
    return nullptr;
}

bool AM_View_Interface::isModulePresetList(const char*)
{
    return false;
}
