#include "params/AM_PresetAdapter.h"

AM_PresetAdapter::AM_PresetAdapter(const char* productName)
{
    for (int32_t i = 0; productName && i < kProductNameBytes - 1 && productName[i]; ++i)
        productName_[i] = productName[i];
}
