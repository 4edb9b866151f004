// The entry of the patch-state reader (the read itself is AM_StateReader).

#include "params/AM_ParaMan.h"

#include "foundation/AM_STD.h"
#include "params/AM_StateReader.h"

bool AM_ParaMan::readState(const char* text, int32_t size, int32_t mode)
{
    if (!text || size <= 0) {
        AM_STD::printv("AM_ParaMan::readState: no text to read");
        return false;
    }
    if (!table_) {
        AM_STD::printv("AM_ParaMan::readState: no parameters yet");
        return false;
    }
    if (stateLevel_ + 1 >= kMaxStateLevels) {
        AM_STD::printv("stateInfoLevel exceeds limit");
        return false;
    }
    ++stateLevel_;
    const int32_t savedModule = currentModule_;
    const int32_t savedPosition = parsePosition_;
    // The module a message-59 read is limited to holds for that read only,
    // not for reads nested in it.
    const int32_t filter = stateFilterOverride_;
    stateFilterOverride_ = -1;
    {
        AM_StateReader reader(*this, text, size, mode, stateLevel_, filter);
        reader.run();
    }
    stateFilterOverride_ = filter;
    currentModule_ = savedModule;
    parsePosition_ = savedPosition;
    --stateLevel_;
    return true;
}

void AM_ParaMan::clearStatePending(int32_t id)
{
    if (id < 0 || id >= parameterCount_)
        return;
    for (int32_t level = 0; level <= stateLevel_ && level < kMaxStateLevels; ++level)
        if (readPending_[level])
            readPending_[level][id] = AM_StateReader::kSet;
}
