#include "engine/voice/AM_NoteEventQueue.h"

#include "foundation/AM_STD.h"

#include <algorithm>

namespace {

// Frames beyond this are held at it, so that times never overflow.
constexpr int64_t kLatestTime = 1 << 30;
constexpr uint8_t kMaxKeyCount = 255;

} // namespace

AM_NoteEventQueue::AM_NoteEventQueue()
{
    relinkPool(sounding_, kSoundingNodes, soundingHead_, soundingTail_);
    relinkPool(pending_, kPendingNodes, pendingHead_, pendingTail_);
    reset();
}

void AM_NoteEventQueue::relinkPool(Node* pool, int32_t count, Node*& head, Node*& tail)
{
    for (int32_t i = 0; i < count; ++i) {
        pool[i].previous = i > 0 ? &pool[i - 1] : nullptr;
        pool[i].next = i + 1 < count ? &pool[i + 1] : nullptr;
        clearNode(&pool[i]);
    }
    head = &pool[0];
    tail = &pool[count - 1];
}

void AM_NoteEventQueue::clearNode(Node* node)
{
    node->key = kNone;
    node->velocity = 0;
    node->time = kNone;
    node->voice = kNone;
}

void AM_NoteEventQueue::reset()
{
    clear(false);
}

void AM_NoteEventQueue::restart()
{
    const bool pedalDown = holdMode_ == k_holdNoteOffs;
    clear(true);
    if (pedalDown)
        holdMode_ = k_holdNoteOffs;
}

void AM_NoteEventQueue::clear(bool keepWaitingNoteOns)
{
    releaseCounter_ = 0;
    timeBase_ = 0;
    for (int32_t v = 0; v < kMaxVoices; ++v) {
        releaseStamp_[v] = 0;
        voiceBusy_[v] = 0;
        heldRelease_[v] = kNone;
    }
    for (Node& node : sounding_)
        clearNode(&node);
    for (Node& node : pending_) {
        const bool waitingNoteOn = node.key >= 0 && node.velocity > 0 && node.voice != 0;
        if (!keepWaitingNoteOns || !waitingNoteOn)
            clearNode(&node);
    }

    // The chains keep their order; their ends are found again by bounded
    // walks, and a chain that does not end is rebuilt in pool order.
    pendingHead_->previous = nullptr;
    Node* last = pendingHead_;
    int32_t walked = 1;
    while (last->next && walked <= kPendingNodes) {
        last = last->next;
        ++walked;
    }
    if (walked > kPendingNodes) {
        AM_STD::printv("circular queue - tweak for thread safety\n");
        relinkPool(pending_, kPendingNodes, pendingHead_, pendingTail_);
    } else {
        pendingTail_ = last;
    }
    soundingHead_->previous = nullptr;
    last = soundingHead_;
    walked = 1;
    while (last->next && walked <= kSoundingNodes) {
        last = last->next;
        ++walked;
    }
    if (walked > kSoundingNodes) {
        AM_STD::printv("circular, again! -");
        relinkPool(sounding_, kSoundingNodes, soundingHead_, soundingTail_);
    } else {
        soundingTail_ = last;
    }

    holdMode_ = k_holdOff;
    for (uint8_t& count : keyCount_)
        count = 0;
}

void AM_NoteEventQueue::setVoiceCount(int32_t count)
{
    voiceCount_ = (count >= 1 && count <= kMaxVoices) ? count : kMaxVoices;
}

void AM_NoteEventQueue::setFlushMode(bool on)
{
    holdMode_ = on ? k_holdNoteOffs : k_holdFlush;
}

int32_t AM_NoteEventQueue::getKeyCount(int32_t key) const
{
    return (key >= 0 && key < kKeys) ? keyCount_[key] : 0;
}

int32_t AM_NoteEventQueue::getHeldRelease(int32_t voice) const
{
    return (voice >= 0 && voice < kMaxVoices) ? heldRelease_[voice] : kNone;
}

bool AM_NoteEventQueue::isVoiceBusy(int32_t voice) const
{
    return voice >= 0 && voice < kMaxVoices && voiceBusy_[voice] != 0;
}

int32_t AM_NoteEventQueue::getPendingCount() const
{
    int32_t count = 0;
    for (const Node& node : pending_)
        count += (node.key >= 0 && node.voice != 0) ? 1 : 0;
    return count;
}

int32_t AM_NoteEventQueue::getSoundingCount() const
{
    int32_t count = 0;
    for (const Node& node : sounding_)
        count += node.key >= 0 ? 1 : 0;
    return count;
}

namespace {

template <size_t N>
bool chainIntact(const AM_NoteEventQueue::Node (&pool)[N], const AM_NoteEventQueue::Node* head,
                 const AM_NoteEventQueue::Node* tail)
{
    bool seen[N] = {};
    const AM_NoteEventQueue::Node* previous = nullptr;
    size_t count = 0;
    for (const AM_NoteEventQueue::Node* n = head; n; n = n->next) {
        if (n < pool || n >= pool + N || count >= N || seen[n - pool] || n->previous != previous)
            return false;
        seen[n - pool] = true;
        previous = n;
        ++count;
    }
    return count == N && previous == tail;
}

} // namespace

bool AM_NoteEventQueue::linksIntact() const
{
    return chainIntact(sounding_, soundingHead_, soundingTail_) &&
           chainIntact(pending_, pendingHead_, pendingTail_);
}

void AM_NoteEventQueue::dropKeyCount(int32_t key)
{
    uint8_t& count = keyCount_[key & (kKeys - 1)];
    if (count > 0)
        --count;
}

// --- Sounding-list links.

void AM_NoteEventQueue::unlink(Node* node)
{
    if (node->previous)
        node->previous->next = node->next;
    else
        soundingHead_ = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        soundingTail_ = node->previous;
    node->next = nullptr;
    node->previous = nullptr;
}

void AM_NoteEventQueue::linkBefore(Node* node, Node* before)
{
    node->next = before;
    node->previous = before->previous;
    if (before->previous)
        before->previous->next = node;
    else
        soundingHead_ = node;
    before->previous = node;
}

void AM_NoteEventQueue::moveToHead(Node* node)
{
    if (node == soundingHead_)
        return;
    unlink(node);
    if (soundingHead_) {
        linkBefore(node, soundingHead_);
    } else {
        soundingHead_ = node;
        soundingTail_ = node;
    }
}

void AM_NoteEventQueue::appendAtTail(Node* node)
{
    node->previous = soundingTail_;
    node->next = nullptr;
    if (soundingTail_)
        soundingTail_->next = node;
    else
        soundingHead_ = node;
    soundingTail_ = node;
}

// --- Insert.

void AM_NoteEventQueue::insert(int32_t key, uint32_t velocity, int32_t frame)
{
    if (key < 0 || key >= kKeys)
        return;
    busy_ = 1;
    const int64_t requested = static_cast<int64_t>(frame) + timeBase_;
    int32_t t = static_cast<int32_t>(std::clamp<int64_t>(requested, 0, kLatestTime));

    // Delivered nodes are free again; the last free node in pool order is
    // used.
    Node* freeNode = nullptr;
    for (Node& node : pending_) {
        if (node.voice == 0)
            clearNode(&node);
        if (node.key == kNone)
            freeNode = &node;
    }
    if (velocity > 0) {
        if (freeNode) {
            freeNode->key = key;
            freeNode->velocity = velocity;
            freeNode->time = t;
            freeNode->voice = kNone;
        }
        busy_ = 0;
        return;
    }

    // A note-off: what the key has to end.
    int32_t soundingOfKey = 0;
    Node* voiceless = nullptr;
    int32_t walked = 0;
    for (Node* n = soundingHead_; n && walked < kSoundingNodes; n = n->next, ++walked) {
        if (n->key != key)
            continue;
        ++soundingOfKey;
        if (!voiceless && n->voice < 0)
            voiceless = n;
    }
    int32_t pendingOns = 0;
    int32_t pendingOffs = 0;
    Node* latestOn = nullptr;
    walked = 0;
    for (Node* n = pendingHead_; n && walked < kPendingNodes; n = n->next, ++walked) {
        if (n->key != key || n->time > t)
            continue;
        if (n->velocity > 0) {
            ++pendingOns;
            if (!latestOn || n->time > latestOn->time)
                latestOn = n;
        } else {
            ++pendingOffs;
        }
    }
    // No note is shorter than the minimum length.
    if (latestOn && t < latestOn->time + kMinimumNoteSamples)
        t = latestOn->time + kMinimumNoteSamples;
    // A key held without voice (mono) simply leaves.
    if (voiceless) {
        clearNode(voiceless);
        moveToHead(voiceless);
        dropKeyCount(key);
    }
    const bool somethingToEnd =
        pendingOffs + 1 <= pendingOns + soundingOfKey && (soundingOfKey > 0 || pendingOns > 0);
    if (!somethingToEnd) {
        busy_ = 0;
        return;
    }
    auto writeNoteOff = [key, t](Node* node) {
        node->key = key;
        node->velocity = 0;
        node->time = t;
        node->voice = kNone;
    };
    if (freeNode) {
        writeNoteOff(freeNode);
    } else if (latestOn) {
        clearNode(latestOn);
    } else if (voiceless) {
        // Ended above.
    } else {
        Node* firstOn = nullptr;
        walked = 0;
        for (Node* n = pendingHead_; n && walked < kPendingNodes; n = n->next, ++walked) {
            if (n->key >= 0 && n->velocity > 0) {
                firstOn = n;
                break;
            }
        }
        if (firstOn) {
            writeNoteOff(firstOn);
        } else if (!replaceSoundingNoteOff(key, t)) {
            AM_STD::printv("You have to play slower for me!\n");
        }
    }
    busy_ = 0;
}

// The last resort of a full pending pool: the first sounding note whose key
// also waits in the pending pool is taken off the sounding list (its voice is
// free for the queue again) and that pending node carries the new note-off.
bool AM_NoteEventQueue::replaceSoundingNoteOff(int32_t key, int32_t time)
{
    int32_t walked = 0;
    for (Node* s = soundingHead_; s && walked < kSoundingNodes; s = s->next, ++walked) {
        if (s->key < 0)
            continue;
        for (Node& p : pending_) {
            if (p.key != s->key)
                continue;
            if (s->voice >= 0 && s->voice < kMaxVoices) {
                ++releaseCounter_;
                releaseStamp_[s->voice] = releaseCounter_;
                voiceBusy_[s->voice] = 0;
            }
            dropKeyCount(s->key);
            clearNode(s);
            moveToHead(s);
            p.key = key;
            p.velocity = 0;
            p.time = time;
            p.voice = kNone;
            return true;
        }
    }
    return false;
}

// --- Next event.

AM_NoteEventQueue::Event AM_NoteEventQueue::nextEvent(int32_t blockLength)
{
    busy_ = 2;
    const Event none{kNone, 0, kNone, kNone};
    // Every pass either returns or uses up a due node or a held note-off.
    constexpr int32_t kPasses = kPendingNodes + kMaxVoices + 2;
    for (int32_t pass = 0; pass < kPasses; ++pass) {
        if (holdMode_ == k_holdFlush) {
            for (int32_t v = 0; v < kMaxVoices; ++v) {
                if (heldRelease_[v] < 0)
                    continue;
                const Event released{heldRelease_[v], 0, 0, v};
                heldRelease_[v] = kNone;
                busy_ = 0;
                return released;
            }
            holdMode_ = k_holdOff;
        }

        // The due note with the smallest time; on equal times the one
        // nearer the tail.
        Node* due = nullptr;
        int32_t walked = 0;
        for (Node* n = pendingTail_; n; n = n->previous) {
            if (++walked > kPendingNodes) {
                AM_STD::printv("circular, this is circular!\n");
                reset();
                busy_ = 0;
                return none;
            }
            if (n->key >= 0 && n->time < blockLength && n->voice != 0 &&
                (!due || n->time < due->time))
                due = n;
        }
        if (!due) {
            for (Node& node : pending_) {
                if (node.key >= 0 && node.voice != 0)
                    node.time -= blockLength;
            }
            timeBase_ = std::max(0, timeBase_ - blockLength);
            busy_ = 0;
            return none;
        }
        Event result = none;
        if (takeEvent(due, result)) {
            busy_ = 0;
            return result;
        }
    }
    busy_ = 0;
    return none;
}

// Handles one due pending node; true when `result` is to be handed out.
bool AM_NoteEventQueue::takeEvent(Node* due, Event& result)
{
    due->voice = 0;
    if (due->velocity == 0)
        return takeNoteOff(due, result);

    if (keyCount_[due->key] < kMaxKeyCount)
        ++keyCount_[due->key];
    // The N-th sounding node from the tail: when it owns a voice, all N
    // voices sound and that one is taken.
    Node* nth = soundingTail_;
    for (int32_t i = 1; i < voiceCount_; ++i) {
        if (!nth->previous) {
            AM_STD::printv("myNoteEvent->prev was NULL!\n");
            break;
        }
        nth = nth->previous;
    }
    int32_t voice = 0;
    if (nth->voice >= 0 && nth->voice < kMaxVoices) {
        voice = nth->voice;
        nth->voice = kNone;
        if (!mono_)
            clearNode(nth);
        releaseCounter_ = 0;
    } else {
        voice = chooseFreeVoice();
    }
    releaseStamp_[voice] = 0;
    voiceBusy_[voice] = 1;
    heldRelease_[voice] = kNone;

    Node* node = soundingHead_;
    if (!node->next) {
        AM_STD::printv("Queue Fault, firstMemory == NULL\n");
    } else {
        // A head that still holds a key (mono with every node taken) lets
        // the oldest held key go.
        if (node->key >= 0)
            dropKeyCount(node->key);
        unlink(node);
        appendAtTail(node);
    }
    node->key = due->key;
    node->velocity = due->velocity;
    node->time = due->time;
    node->voice = voice;
    result = Event{due->key, due->velocity, due->time, voice};
    return true;
}

bool AM_NoteEventQueue::takeNoteOff(Node* due, Event& result)
{
    dropKeyCount(due->key);
    Node* node = soundingHead_;
    int32_t walked = 0;
    while (node && node->key != due->key && walked < kSoundingNodes) {
        node = node->next;
        ++walked;
    }
    if (!node || node->key != due->key)
        return false;

    if (node->voice < 0 || node->voice >= kMaxVoices) {
        // A key held without voice (mono): it leaves the sounding notes.
        clearNode(node);
        Node* firstVoiceless = soundingHead_;
        walked = 0;
        while (firstVoiceless && (firstVoiceless == node || firstVoiceless->voice >= 0) &&
               walked < kSoundingNodes) {
            firstVoiceless = firstVoiceless->next;
            ++walked;
        }
        if (firstVoiceless && firstVoiceless != node) {
            unlink(node);
            linkBefore(node, firstVoiceless);
        }
        return false;
    }

    const int32_t voice = node->voice;
    result = Event{due->key, 0, due->time, voice};
    clearNode(node);
    moveToHead(node);
    if (mono_) {
        // The voice returns to the latest key still held.
        walked = 0;
        for (Node* n = soundingTail_; n && walked < kSoundingNodes; n = n->previous, ++walked) {
            if (n->voice >= 0)
                continue;
            if (n->key >= 0) {
                result = Event{n->key, n->velocity, due->time, voice};
                n->voice = voice;
            }
            break;
        }
    }
    if (result.velocity == 0) {
        ++releaseCounter_;
        releaseStamp_[voice] = releaseCounter_;
        voiceBusy_[voice] = 0;
        if (holdMode_ == k_holdNoteOffs) {
            heldRelease_[voice] = due->key;
            return false;
        }
    }
    return true;
}

// Among the free voices the one released longest ago (the smallest stamp not
// above the release counter; on equal stamps the higher voice). When no
// stamp qualifies, any free voice by the same rule; voice 0 when every voice
// is taken.
int32_t AM_NoteEventQueue::chooseFreeVoice() const
{
    int32_t best = kNone;
    for (int32_t v = 0; v < voiceCount_; ++v) {
        if (voiceBusy_[v] != 0 || releaseStamp_[v] > releaseCounter_)
            continue;
        if (best < 0 || releaseStamp_[v] <= releaseStamp_[best])
            best = v;
    }
    if (best >= 0)
        return best;
    for (int32_t v = 0; v < voiceCount_; ++v) {
        if (voiceBusy_[v] != 0)
            continue;
        if (best < 0 || releaseStamp_[v] <= releaseStamp_[best])
            best = v;
    }
    return best >= 0 ? best : 0;
}
