#include "Renderer.h"

#include <algorithm>

namespace vsthost {

Renderer::Renderer(HostedPlugin& plugin) : plugin_(plugin) {}

void Renderer::schedule(const MidiSequence& events)
{
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(next_));
    next_ = 0;
    pending_.insert(pending_.end(), events.begin(), events.end());
    sortByFrame(pending_);
}

void Renderer::prepareBuffers(int frames)
{
    const auto size = static_cast<size_t>(frames);
    inputs_.resize(static_cast<size_t>(plugin_.numInputs()));
    outputs_.resize(static_cast<size_t>(plugin_.numOutputs()));
    inputPointers_.clear();
    outputPointers_.clear();
    for (std::vector<float>& input : inputs_) {
        input.assign(size, 0.0f);
        inputPointers_.push_back(input.data());
    }
    for (std::vector<float>& output : outputs_) {
        output.assign(size, 0.0f);
        outputPointers_.push_back(output.data());
    }
}

void Renderer::sendEventsBefore(int64_t end)
{
    midi_.clear();
    while (next_ < pending_.size() && pending_[next_].frame < end) {
        const TimedMidiEvent& timed = pending_[next_++];
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = static_cast<VstInt32>(std::max<int64_t>(0, timed.frame - position_));
        std::copy(timed.data, timed.data + 3, event.midiData);
        midi_.push_back(event);
    }
    if (midi_.empty())
        return;
    const size_t bytes = vstEventsBytes(midi_.size());
    eventBlock_.assign((bytes + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
    auto* events = reinterpret_cast<VstEvents*>(eventBlock_.data());
    events->numEvents = static_cast<VstInt32>(midi_.size());
    for (size_t i = 0; i < midi_.size(); ++i)
        vstEventList(events)[i] = reinterpret_cast<VstEvent*>(&midi_[i]);
    plugin_.processEvents(events);
    eventsSent_ += midi_.size();
}

bool Renderer::render(int64_t frames, AudioBuffer* sink, std::string& error)
{
    if (!plugin_.canProcess()) {
        error = "the plug-in has no process entry";
        return false;
    }
    const int blockSize = plugin_.settings().blockSize;
    while (frames > 0) {
        const int block = static_cast<int>(std::min<int64_t>(frames, blockSize));
        plugin_.setTransport(position_, true);
        sendEventsBefore(position_ + block);
        prepareBuffers(block);
        plugin_.process(inputPointers_.data(), outputPointers_.data(), block);
        if (sink != nullptr) {
            if (sink->channels.empty())
                sink->channels.resize(outputs_.size());
            for (size_t c = 0; c < sink->channels.size(); ++c) {
                std::vector<float>& target = sink->channels[c];
                if (c < outputs_.size())
                    target.insert(target.end(), outputs_[c].begin(), outputs_[c].end());
                else
                    target.insert(target.end(), static_cast<size_t>(block), 0.0f);
            }
        }
        position_ += block;
        frames -= block;
    }
    return true;
}

} // namespace vsthost
