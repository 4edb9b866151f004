#pragma once
// The keyword resolver of the parameter manager: what the dotted names of
// the scripts in a state text mean. Names are long names: a module's long
// name, then a parameter's long name, then optionally a property word.
//
//   Osc.Pitch                 a parameter's value (also Osc.Pitch.min, .max,
//                             .type, .id, .moduleID, .modSource)
//   Osc.Parameter5            (getValue/setValue) the parameter with global id 5
//   LFO[2].Rate               a numbered family of modules LFO1, LFO2, ...
//   Env.Stage[3].Level        numbered parameters and sub-parameters, found
//                             by the long names "Stage3 Level" etc.
//   Osc.Parameter[i]          any parameter of a module by its place
//   Module[m].Parameter[i]    any parameter of any module by index
//   Osc.active, .id, .numParameters      a module's state
//   Global.numModules, Global.numParameters, Global.Parameter[id].max
//   Osc.method(...)           a module method (AM_AudioObject::makeMethodRecord)
//   Modulator.count, Modulator.<source name>   (getValue) the modulation sources
//
// The manager creates and owns it; machines of nested state reads share it.
// Used on the thread that reads the state (never the audio thread).

#include "engine/module/AM_AudioObject.h"
#include "script/KeyWordMan.h"

#include <cstdint>

class AM_ParaMan;
struct AM_ParamInfo;

class ParamKeyWords : public KeyWordMan {
public:
    static constexpr int32_t kMaxParts = 8;

    explicit ParamKeyWords(AM_ParaMan* manager);
    ~ParamKeyWords() override;

    AMM_ObjectProperty* createAccessor(const AM_NameParts& name) override;
    AMM_ObjectMethod* findMethod(const AM_NameParts& name) override;
    int32_t getParsePosition() override;
    void setParsePosition(int32_t position) override;
    // A value by dotted name; false (and a trace line) only for a
    // "Modulator" name that names no source. Unknown modules read 1.0.
    bool getValue(const char* name, float* value) override;
    // Sets a parameter by dotted name (or writes a data block by a longer
    // name through its module); false only for values a parameter cannot
    // take (meters, data blocks).
    bool setValue(const char* name, float value) override;
    // Calls a data block's method through its module: Module.Parameter.name.
    float callMethod(const char* name, float a, float b, void* context) override;

    // Splits a dotted name into the parts below; returns the part count.
    int32_t split(const char* name);
    int32_t partCount() const { return partCount_; }
    const char* part(int32_t k) const { return parts_[k]; }

private:
    // The parameter a name's second part means in module m (a long name, or
    // "Parameter<n>" for global id n), or -1.
    int32_t resolveParameter(int32_t module, const char* second);
    // Collects the modules a first part names: one by name, or a family
    // "Name@" (Name1 to Name8, announced with the whole name). Returns the
    // count.
    int32_t collectModules(const char* first, int32_t* modules, const char* name);
    AMM_ObjectProperty* parameterAccessor(const AM_NameParts& name, const int32_t* modules,
                                          int32_t moduleCount, bool everyModule);
    bool modulatorValue(float* value);

    AM_ParaMan* manager_;
    char parts_[kMaxParts][k_namePartBytes] = {};
    int32_t partCount_ = 0;
};
