#pragma once
// The display texts of a list parameter's values, taken from the engine
// when a control binds the parameter: entry i names the value minimum + i.
// Texts longer than an entry are cut. Ranges that are not finite, negative
// or wider than kMaximumEntries give no table.
//
// GUI thread only.

#include <cstdint>
#include <memory>

class AM_View_Interface;
struct AM_ParamInfo;

class AM_ValueNameTable {
public:
    static constexpr int32_t kNameBytes = 32;
    static constexpr int32_t kMaximumEntries = 65536;

    // Rebuilds the table for the parameter (maximum - minimum + 1 entries);
    // false, with an empty table, when its range cannot give one.
    bool rebuild(AM_View_Interface* host, const AM_ParamInfo* parameter);
    void clear();

    int32_t count() const { return count_; }
    bool empty() const { return count_ == 0; }
    float minimum() const { return minimum_; }
    // Entry i; null when out of range.
    const char* name(int32_t i) const;
    // The entry of a parameter value (value - minimum, truncated); null when
    // the value has none.
    const char* nameOfValue(float value) const;
    // The entry index of a parameter value, or -1 when it has none.
    int32_t indexOfValue(float value) const;

private:
    std::unique_ptr<char[][kNameBytes]> names_;
    int32_t count_ = 0;
    float minimum_ = 0.0f;
};
