#pragma once
// Rendering one wave of a waveset into a table of 256 samples, and its
// reduction to a few peak values for thumbnails.
//
// GUI thread only (the shared table is process-wide).

#include "gui/editors/AM_WaveValueBlock.h"
#include "gui/editors/AM_WavesetBlock.h"

constexpr int kWaveTableSize = 256;

// Renders wave `wave` in curve mode `mode` (AM_WaveMode) into the
// kWaveTableSize entries of table, as the sounding level (+1 up). In value mode
// entry k takes values[wave][int(k / 256 * 127)]; otherwise each segment
// covers the entries from int(x[p] * 256) up to int(x[p + 1] * 256) (256 for
// the last) and entry k of its n entries takes the cubic at t = k / n.
// Entries no segment covers are 0. An invalid wave renders zeros.
void renderWave(const AM_WavesetBlock& points, const AM_WaveValueBlock& values, int wave,
                int mode, float* table);

// Renders the wave, then replaces entries 0..count-1 of the table in place:
// entry i takes, among the rendered entries of bin i (edges accumulated in
// floats as sums of 256 / count), the one of the largest magnitude with its
// sign (0 for an empty bin). count is held to 256; below 1
// nothing is rendered and the table is left as it is. Answers the table.
float* getWavePeaks(const AM_WavesetBlock& points, const AM_WaveValueBlock& values, int wave,
                    int mode, int count, float* table);

// The table shared by every multipoint editor, valid until the next
// rendering into it, and its reset for tests.
float* sharedWaveTable();
void resetSharedWaveTable();
