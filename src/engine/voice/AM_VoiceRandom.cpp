#include "engine/voice/AM_VoiceRandom.h"

#include "engine/module/AM_Random.h"

namespace {

AM_RandomSequence g_voices(859219139u);

} // namespace

namespace AM_VoiceRandom {

float next()
{
    return g_voices.nextUnit();
}

void reset()
{
    g_voices.reset();
}

} // namespace AM_VoiceRandom
