#pragma once
// The sound-generating module of each voice ("Kestan: Kestan" in the voice
// circuit): two oscillators, a sub oscillator, noise, ring modulator,
// feedback path, a key-tracked high-pass, the multimode filter stage and
// audio-rate cross modulation, rendered per voice at four times the host
// rate and brought back to it through two half-band passes.
//
// Memory. Global memory (one per module): the 53 parameter values as 32-bit
// words in parameter order (floats, and int32 for the list and selector
// parameters), the shared noise of the sub-block, the render's scratch
// buffers and the voices taken for the present batch with their lanes'
// buffers (all on the audio thread). Voice memory (one copy per voice of the
// circuit): the oscillator and filter state, the high-pass, the decimator,
// the voice's reset flag and what a batch keeps of the voice
// (KestanVoiceRecord.h).
//
// Batches. In a voice circuit's batched pass (AM_VoiceBatch.h) the routine
// takes each voice, renderBatch renders them together (the high-pass, the
// low/high-pass filter stage and the decimation in vector lanes, one voice
// per lane; see FilterLanes.h), and the deliver phase writes each voice's
// samples. The samples are those of rendering each voice at its call, bit
// for bit.
//
// Process-wide: the wavetables and the step-correction table (built once by
// the first constructor, never freed), the noise generator shared by every
// instance, the instance counter and the filter coefficients of the latest
// render (read by the response plot).
//
// Threads: construction, prepare, the parameter table and the response plot
// on the thread that builds the engine or the user interface (never the
// audio thread); voiceEvent, reset and the per-block routine on the audio
// thread.

#include "engine/module/AM_AudioObject.h"
#include "synth/dsp/Oscillators.h"

#include <cstdint>
#include <memory>

struct AM_ParamInfo;

class KestanAudio : public AM_AudioObject {
public:
    // Local numbers of the parameters.
    enum Param : uint32_t {
        k_pShape1 = 0,
        k_pTuneModSrc1,
        k_pTuneModDepth1,
        k_pShape2,
        k_pTune2,
        k_pFineTune2,
        k_pTuneModSrc2,
        k_pTuneModDepth2,
        k_pPWDepth,
        k_pPWSrc,
        k_pDetune,
        k_pSoftSync,
        k_pVibratoSrc,
        k_pVibrato,
        k_pKeySource,
        k_pKeyScale,
        k_pRingModIn1,
        k_pRingModIn2,
        k_pFeedbackIn,
        k_pNoiseColour,
        k_pOscVolume1,
        k_pOscVolume2,
        k_pSubVolume,
        k_pNoiseVolume,
        k_pRingModVolume,
        k_pFeedbackVolume,
        k_pVCFMode,
        k_pVCFPoles,
        k_pCutoff,
        k_pFreqModSrc1,
        k_pFreqModDepth1,
        k_pFreqModSrc2,
        k_pFreqModDepth2,
        k_pKeyFollow,
        k_pResonance,
        k_pResSrc,
        k_pMixSpread,
        k_pMixSpreadSrc,
        k_pAudioRateSrc,
        k_pAudioRateDest,
        k_pXModDepth,
        k_pAudioRateModSrc,
        k_pInputGain,
        k_pHeadroom1,
        k_pClipping1,
        k_pHeadroom2,
        k_pClipping2,
        k_pAllpassCoeff,
        k_pCompCoeff,
        k_pOptiMode,
        k_pHPPre,
        k_pHPCutoff,
        k_pHPResonance,
        k_parameterCount, // 53 registered parameters
        k_pPlot = k_parameterCount,
        k_descriptorCount, // the static table also describes "Plot"
    };

    // The data id under which the response plot is served.
    static constexpr uint32_t kPlotDataId = 55;
    // Points of the plot, and its buffer: two header words, the magnitudes,
    // the phase row and one spare float.
    static constexpr uint32_t kPlotPoints = 1024;
    static constexpr uint32_t kPlotFormat = 2;
    static constexpr uint32_t kPlotBytes = 2 * kPlotPoints * 4 + 12;

    // Builds the process-wide tables when they do not exist yet (wavetables
    // with an FFT of their own, the step-correction table, the pitch table).
    // The owner may be null (then the response plot stays empty). Not on the
    // audio thread.
    KestanAudio(AM_EngineOwner* owner, const char* name);
    ~KestanAudio() override;

    uint32_t getVoiceMemorySize() override;
    uint32_t getGlobalMemorySize() override;
    // Sets the reset flag of every voice copy. Thread that builds the engine.
    void prepare(AM_ProcessContext* context) override;
    // The descriptor of local number 0 .. 53 (53 is "Plot"), else null.
    const AM_ParamInfo* getParameterTemplate(uint32_t local) override;
    // The value names of the list parameters (count and list), 0 for others.
    int32_t getValueStrings(uint32_t local, AM_ValueNames* list) override;
    // The value word of local numbers 0 .. 52, else null.
    void* getParameterAddress(uint32_t local) override;
    // The response plot for kPlotDataId (computed now, with the owner's
    // FFT); any other id writes a trace line and answers null. User
    // interface thread, one call at a time.
    void* getParameterData(uint32_t local) override;
    // A note on (type 1) sets that voice's reset flag: its next block starts
    // the high-pass and the feedback biquads from cleared state with
    // coefficients that jump. Other events change nothing. Audio thread.
    void voiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                    AM_ProcessContext* context) override;
    // The per-block routine (process). Fetching it builds nothing, so it is
    // safe on the audio thread.
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext* context) override;
    // Sets the reset flag of one copy (record) or of every copy (null).
    // Audio thread.
    void reset(AM_ChildRecord* record) override;

    // The per-voice block routine: renders `length` units of 16 host samples
    // from unit `start` of the sub-block into the record's output bus row
    // and the row after it; in a batch's gather phase it takes the voice
    // instead, and in the deliver phase writes what renderBatch rendered.
    // Allocates nothing, locks nothing. Audio thread.
    static void process(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* context);

    // The flush of a batch (AM_VoiceBatch.h): renders the voices that
    // process took in the gather phase, from what it kept of each, into
    // their voice records; the deliver phase of process then writes each
    // voice's samples into its bus rows. `memory` is the module's global
    // memory. Allocates nothing, locks nothing. Audio thread.
    static void renderBatch(void* memory, AM_ProcessContext* context);

    // The static descriptor table (k_descriptorCount rows). Any thread.
    static const AM_ParamInfo* descriptorTable();

    // Live instances in the process. Any thread.
    static uint32_t instanceCount();
    // The cutoff coefficient and damping the filter stage left at the end of
    // the latest render, process-wide. Any thread (the audio thread writes
    // them without a lock; a stale value only changes the plot).
    static float lastCutoffCoefficient();
    static float lastDamping();
    // Test hook: the plot's coefficients, as if a render had left them.
    static void storeFilterCoefficients(float coefficient, float damping);
    // Process-wide state back to its state at load: the noise generator and
    // the plot's coefficients. Tests only, while nothing renders.
    static void resetProcessState();

private:
    // The voice record of a copy, or null.
    struct KestanVoiceRecord* voiceRecordOf(uint32_t copy) const;
    void computePlot();

    synthdsp::OscillatorTables tables_{};
    std::unique_ptr<uint8_t[]> plot_;
};
