#pragma once
// The accessors through which scripts read and write parameters by dotted
// name (made by ParamKeyWords::createAccessor):
//   AM_ParamProperty     a named parameter, or a numbered family of them
//                        (Osc.Pitch, LFO[2].Rate, Env.Stage[3].Level,
//                        Global.Parameter[i].min), with a property word;
//   AM_AnyParamProperty  any parameter of a module by its place in the
//                        module (Osc.Parameter[i], Module[m].Parameter[i]).
// The byte-code machine writes the script's subscripts into indexValues
// before every use; subscripts outside a family give no parameter, which
// reads as 0 and ignores writes.
//
// Used on the thread that runs the script (never the audio thread).

#include "params/object/AM_ParamInfo.h"
#include "script/AMM_ObjectAccessor.h"

#include <cstdint>

class AM_ParaMan;

// What an accessor reads: the word behind the parameter's name.
enum AM_PropertyCode : int32_t {
    k_propertyValue = 0,     // (no word)
    k_propertyType = 1,      // "type": the kind
    k_propertyId = 2,        // "id": the global id
    k_propertyMin = 3,       // "min"
    k_propertyMax = 4,       // "max"
    k_propertyModuleId = 5,  // "moduleID": the module index
    k_propertyModSource = 6, // "modSource": 1 for a modulation-source selector
};

// The code of a property word, or -1 for any other word.
int32_t AM_propertyCode(const char* word);

class AM_ParamProperty : public AMM_ObjectProperty {
public:
    static constexpr int32_t kMaxModules = 8;

    AM_ParamProperty(AM_ParaMan* manager, int32_t property);

    // Direct form: the parameter subscript is a global id.
    void setDirect() { direct_ = true; }
    // The matched parameter's global id in one more module (-1 when that
    // module lacks it); false when the list is full.
    bool addModule(int32_t matchedId);
    void setFamily(int32_t count, int32_t stride);
    void setSubFamily(int32_t count, int32_t stride);
    // Int-valued for the parameter kinds that store integers.
    void chooseValueType(const AM_ParamInfo& first);

    // The record the subscripts address, or null.
    AM_ParamInfo* resolve();

    int32_t getInt() override;
    float getFloat() override;
    void setInt(int32_t value) override;
    void setFloat(float value) override;

private:
    AM_ParaMan* manager_;
    int32_t property_;
    bool direct_ = false;
    int32_t modules_[kMaxModules] = {};
    int32_t moduleCount_ = 0;
    int32_t parameterCount_ = 1;
    int32_t parameterStride_ = 0;
    int32_t subCount_ = 1;
    int32_t subStride_ = 0;
};

class AM_AnyParamProperty : public AMM_ObjectProperty {
public:
    static constexpr int32_t kMaxModules = 8;
    static constexpr int32_t kEveryModule = -1;

    // modules: the module indices a subscript chooses from (count of them),
    // or count kEveryModule: the subscript is the module index itself.
    AM_AnyParamProperty(AM_ParaMan* manager, int32_t property, const int32_t* modules,
                        int32_t count);

    // The record of parameter j (second subscript, from 0) of the module
    // the first subscript chooses, or null.
    AM_ParamInfo* getParameter();

    int32_t getInt() override;
    float getFloat() override;
    void setInt(int32_t value) override;
    void setFloat(float value) override;

private:
    AM_ParaMan* manager_;
    int32_t property_;
    int32_t modules_[kMaxModules] = {};
    int32_t moduleCount_;
};
