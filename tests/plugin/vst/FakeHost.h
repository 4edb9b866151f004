#pragma once
// A host callback for tests: records every call and answers from a table.

#include "plugin/vst/VstAbi.h"

#include <map>
#include <vector>

namespace vsttest {

class FakeHost {
public:
    struct Call {
        AEffect* effect;
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        void* ptr;
        float opt;
    };

    FakeHost() { current_ = this; }
    ~FakeHost() { current_ = nullptr; }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // The callback to hand to an effect; it reaches the newest FakeHost.
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt)
    {
        if (current_ == nullptr)
            return 0;
        current_->calls.push_back({effect, opcode, index, value, ptr, opt});
        const auto answer = current_->answers.find(opcode);
        return answer != current_->answers.end() ? answer->second : 0;
    }

    int count(VstInt32 opcode) const
    {
        int n = 0;
        for (const Call& call : calls)
            n += call.opcode == opcode ? 1 : 0;
        return n;
    }

    const Call* last(VstInt32 opcode) const
    {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->opcode == opcode)
                return &*it;
        return nullptr;
    }

    std::vector<Call> calls;
    std::map<VstInt32, VstIntPtr> answers;

private:
    static inline FakeHost* current_ = nullptr;
};

} // namespace vsttest
