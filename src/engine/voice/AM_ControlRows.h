#pragma once
// Reading the control rows of the process context by the number a
// modulation-source selector holds. Header only, for the modules inside a
// voice circuit (LFO, envelope, voice mixer).
//
// A source and the row it writes carry the same number: both counters start
// at 1 and every module offers one source per row, so a selector's value is
// the row to read (as the modulation matrix reads it). 0 is "none". Selectors
// of the second list (flag bit 22) hold a place in that list instead, which
// the context's secondListSources turns into the source number.
//
// Any thread that owns the context; the audio thread in practice.

#include "engine/module/AM_ProcessContext.h"

#include <cstdint>

// The 16 values of a row, or null for 0 (none) and rows outside the context.
inline float* AM_controlRow(const AM_ProcessContext* context, int64_t row)
{
    if (!context || !context->controlRows || row <= 0 || row >= context->controlRowCount)
        return nullptr;
    return context->controlRows + row * k_controlRowSteps;
}

// One value of a row; 0 for a row that is not there. step is 0 to 15.
inline float AM_controlRowValue(const AM_ProcessContext* context, int64_t row, int32_t step)
{
    const float* values = AM_controlRow(context, row);
    return values ? values[step] : 0.0f;
}

// The source number of a place in the second modulation-source list; 0 when
// the place is outside it.
inline int32_t AM_secondListSource(const AM_ProcessContext* context, int32_t place)
{
    if (!context || !context->secondListSources || place < 0 ||
        static_cast<uint32_t>(place) >= context->secondListCount)
        return 0;
    return context->secondListSources[place];
}

// The row-active flag of a row, or null for rows outside the context.
inline uint32_t* AM_rowActiveFlag(const AM_ProcessContext* context, int64_t row)
{
    if (!context || !context->rowActiveFlags || row <= 0 || row >= context->controlRowCount)
        return nullptr;
    return context->rowActiveFlags + row;
}
