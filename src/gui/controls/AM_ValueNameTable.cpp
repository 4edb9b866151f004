#include "gui/controls/AM_ValueNameTable.h"

#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstring>

namespace {
constexpr size_t kDisplayBytes = 256;
}

void AM_ValueNameTable::clear()
{
    names_.reset();
    count_ = 0;
    minimum_ = 0.0f;
}

bool AM_ValueNameTable::rebuild(AM_View_Interface* host, const AM_ParamInfo* parameter)
{
    clear();
    if (parameter == nullptr) {
        return false;
    }
    const float span = std::trunc(parameter->max - parameter->min);
    if (!std::isfinite(span) || !std::isfinite(parameter->min) || span < 0 ||
        span >= static_cast<float>(kMaximumEntries)) {
        return false;
    }
    minimum_ = parameter->min;
    count_ = static_cast<int32_t>(span) + 1;
    names_ = std::make_unique<char[][kNameBytes]>(static_cast<size_t>(count_));
    for (int32_t k = 0; k < count_; ++k) {
        char text[kDisplayBytes] = {};
        const float v = minimum_ + static_cast<float>(k);
        if (host != nullptr) {
            host->getParameterDisplay(static_cast<int32_t>(parameter->index), &v, text);
        }
        text[kDisplayBytes - 1] = '\0';
        const size_t length = strnlen(text, kNameBytes - 1);
        std::memcpy(names_[k], text, length);
        names_[k][length] = '\0';
    }
    return true;
}

const char* AM_ValueNameTable::name(int32_t i) const
{
    return names_ && i >= 0 && i < count_ ? names_[i] : nullptr;
}

int32_t AM_ValueNameTable::indexOfValue(float value) const
{
    const float k = std::trunc(value - minimum_);
    if (!std::isfinite(k) || k < 0 || k >= static_cast<float>(count_)) {
        return -1;
    }
    return static_cast<int32_t>(k);
}

const char* AM_ValueNameTable::nameOfValue(float value) const
{
    return name(indexOfValue(value));
}
