#pragma once
// Plays scheduled MIDI through a started plug-in block by block: each block
// gets the host transport, the events that fall into it (deltaFrames = their
// offset in the block) and one process call with silent inputs.
//
// Buffers are kept between blocks, so steady-state rendering allocates only
// when the plug-in changes its channel counts or the sink grows.

#include "AudioBuffer.h"
#include "HostedPlugin.h"
#include "TimedMidiEvent.h"

#include <string>

namespace vsthost {

class Renderer {
public:
    explicit Renderer(HostedPlugin& plugin);

    // Adds events at absolute frames of this rendering (frames already
    // rendered count as "now").
    void schedule(const MidiSequence& events);
    // Renders frames more in blocks of the host's block size; appends the
    // output to sink when it is not null (the sink takes the channel count
    // of the first block). False with a reason when the plug-in cannot render.
    bool render(int64_t frames, AudioBuffer* sink, std::string& error);

    int64_t position() const { return position_; }
    uint64_t eventsSent() const { return eventsSent_; }

private:
    void prepareBuffers(int frames);
    void sendEventsBefore(int64_t end);

    HostedPlugin& plugin_;
    MidiSequence pending_;
    size_t next_ = 0;
    int64_t position_ = 0;
    uint64_t eventsSent_ = 0;
    std::vector<std::vector<float>> inputs_;
    std::vector<std::vector<float>> outputs_;
    std::vector<float*> inputPointers_;
    std::vector<float*> outputPointers_;
    std::vector<VstMidiEvent> midi_;
    std::vector<uint64_t> eventBlock_; // storage of the VstEvents record, 8-byte aligned
};

} // namespace vsthost
