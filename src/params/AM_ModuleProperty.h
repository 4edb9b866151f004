#pragma once
// Read-only accessors of modules and counts (made by
// ParamKeyWords::createAccessor):
//   AM_AnyModuleProperty  Osc.active, LFO[2].id, Module[m].numParameters;
//   AM_GlobalProperty     Global.numModules, Global.numParameters.
// Writes do nothing. Used on the thread that runs the script.

#include "script/AMM_ObjectAccessor.h"

#include <cstdint>

class AM_AudioObject;
class AM_ParaMan;

class AM_AnyModuleProperty : public AMM_ObjectProperty {
public:
    static constexpr int32_t kMaxModules = 8;
    static constexpr int32_t kEveryModule = -1;
    enum Property : int32_t { kActive = 0, kModuleIndex = 1, kParameterCount = 2 };

    // modules and count as for AM_AnyParamProperty.
    AM_AnyModuleProperty(AM_ParaMan* manager, int32_t property, const int32_t* modules,
                         int32_t count);

    // The module index the first subscript chooses, or -1.
    int32_t getModule();

    int32_t getInt() override;
    float getFloat() override { return static_cast<float>(getInt()); }
    void setInt(int32_t) override {}
    void setFloat(float) override {}

private:
    AM_ParaMan* manager_;
    int32_t property_;
    int32_t modules_[kMaxModules] = {};
    int32_t moduleCount_;
};

class AM_GlobalProperty : public AMM_ObjectProperty {
public:
    enum Property : int32_t { kModuleCount = 0, kParameterCount = 1 };

    AM_GlobalProperty(AM_ParaMan* manager, int32_t property);

    int32_t getInt() override;
    float getFloat() override { return static_cast<float>(getInt()); }
    void setInt(int32_t) override {}
    void setFloat(float) override {}

private:
    AM_ParaMan* manager_;
    int32_t property_;
};

// The module index a subscript chooses: of the list (subscript 0 or 1 the
// first, counted from 1) or, with count -1, the subscript itself; -1 when
// it lies outside. Shared by the accessors that address modules.
int32_t AM_chooseModule(AM_ParaMan* manager, const int32_t* modules, int32_t count,
                        int32_t subscript);
