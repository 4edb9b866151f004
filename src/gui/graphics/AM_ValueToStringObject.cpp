#include "gui/graphics/AM_ValueToStringObject.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_ParamInfo.h"

#include <cmath>
#include <cstdint>

namespace {

int32_t truncatedInteger(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

} // namespace

AM_ValueToStringObject::AM_ValueToStringObject(AM_GuiServices* services, const char* name)
    : AM_GuiObject(services)
{
    if (name != nullptr)
        setName(name);
}

bool AM_ValueToStringObject::acceptsParameter(const AM_ParamInfo*)
{
    return true;
}

void AM_ValueToStringObject::valueToString(const AM_ParamInfo* descriptor, const float* value,
                                           char* out, size_t outSize)
{
    if (descriptor == nullptr || value == nullptr || out == nullptr || outSize == 0)
        return;
    switch (descriptor->kind()) {
    case k_kindInteger:
        AM_STD::sprintvn(out, outSize, "%d", static_cast<int>(truncatedInteger(*value)));
        break;
    case k_kindFloat:
    case k_kindXYAxis:
        AM_STD::sprintvn(out, outSize, "%.2f", static_cast<double>(*value));
        break;
    default:
        AM_STD::sprintvn(out, outSize, "unknown value");
        break;
    }
}
