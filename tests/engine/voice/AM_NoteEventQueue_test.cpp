#include "engine/voice/AM_NoteEventQueue.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Event = AM_NoteEventQueue::Event;
constexpr int32_t kBlock = 64;

// One block as the voice circuit drains it: the time base is the block
// length, then events until key -1.
std::vector<Event> drain(AM_NoteEventQueue& q, int32_t block = kBlock)
{
    std::vector<Event> out;
    q.setTimeBase(block);
    for (Event e = q.nextEvent(block); e.key >= 0; e = q.nextEvent(block))
        out.push_back(e);
    return out;
}

void configure(AM_NoteEventQueue& q, int32_t voices, bool mono = false)
{
    q.setVoiceCount(voices);
    q.setMono(mono);
    q.reset();
}

void off(AM_NoteEventQueue& q, int32_t key, int32_t frame = 0)
{
    q.insert(key, 0, frame);
}

// A note-on delivered in a block of its own; returns its voice.
int32_t play(AM_NoteEventQueue& q, int32_t key, uint32_t velocity = 100)
{
    q.insert(key, velocity, 0);
    const std::vector<Event> events = drain(q);
    EXPECT_EQ(events.size(), 1u);
    return events.empty() ? -1 : events[0].voice;
}

TEST(AM_NoteEventQueue, AfterAResetVoicesAreHandedOutFromTheHighestDown)
{
    AM_NoteEventQueue q;
    configure(q, 8);
    EXPECT_EQ(play(q, 60), 7);
    EXPECT_EQ(play(q, 62), 6);
    EXPECT_EQ(play(q, 64), 5);
    EXPECT_TRUE(q.linksIntact());
}

TEST(AM_NoteEventQueue, ANinthNoteStealsTheVoiceOfTheOldestSoundingNote)
{
    AM_NoteEventQueue q;
    configure(q, 8);
    std::vector<int32_t> voices;
    for (int32_t k = 0; k < 8; ++k)
        voices.push_back(play(q, 60 + k));
    EXPECT_EQ(play(q, 80), voices[0]);
    EXPECT_EQ(play(q, 81), voices[1]);
    // The stolen key no longer sounds: its release gives nothing.
    off(q, 60);
    EXPECT_TRUE(drain(q).empty());
    EXPECT_TRUE(q.linksIntact());
}

TEST(AM_NoteEventQueue, AFreedVoiceIsTheOneReleasedLongestAgo)
{
    AM_NoteEventQueue q;
    configure(q, 4);
    const int32_t a = play(q, 60);
    const int32_t b = play(q, 62);
    const int32_t c = play(q, 64);
    play(q, 65);
    off(q, 62);
    off(q, 60, 10);
    off(q, 64, 20);
    const std::vector<Event> offs = drain(q);
    ASSERT_EQ(offs.size(), 3u);
    EXPECT_EQ(offs[0].voice, b);
    EXPECT_EQ(offs[1].voice, a);
    EXPECT_EQ(offs[2].voice, c);
    EXPECT_EQ(play(q, 70), b);
    EXPECT_EQ(play(q, 71), a);
    EXPECT_EQ(play(q, 72), c);
}

TEST(AM_NoteEventQueue, EventsComeInTimeOrderAndWaitForTheirBlock)
{
    AM_NoteEventQueue q;
    configure(q, 8);
    q.insert(60, 100, 40);
    q.insert(62, 90, 8);
    q.insert(64, 80, 130);
    std::vector<Event> first = drain(q);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].key, 62);
    EXPECT_EQ(first[0].time, 8);
    EXPECT_EQ(first[0].velocity, 90u);
    EXPECT_EQ(first[1].key, 60);
    EXPECT_EQ(first[1].time, 40);
    EXPECT_TRUE(drain(q).empty()); // 130 - 64 = 66 is still beyond the block
    std::vector<Event> third = drain(q);
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].time, 130 - 2 * kBlock);
}

TEST(AM_NoteEventQueue, NoNoteIsShorterThan64Samples)
{
    struct Case {
        int32_t on, off, blockOfOff, timeOfOff;
    };
    const Case cases[] = {
        {10, 20, 1, 10}, // moved to 74: the next block at 10
        {0, 63, 1, 0},   // moved to 64
        {0, 64, 1, 0},   // long enough
        {10, 100, 1, 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.off);
        AM_NoteEventQueue q;
        configure(q, 8);
        q.insert(60, 100, c.on);
        q.insert(60, 0, c.off);
        std::vector<Event> block0 = drain(q);
        ASSERT_EQ(block0.size(), 1u);
        EXPECT_GT(block0[0].velocity, 0u);
        std::vector<Event> block1 = drain(q);
        ASSERT_EQ(block1.size(), 1u);
        EXPECT_EQ(block1[0].velocity, 0u);
        EXPECT_EQ(block1[0].time, c.timeOfOff);
        EXPECT_EQ(block1[0].voice, block0[0].voice);
    }
}

TEST(AM_NoteEventQueue, ANoteOffWithNothingToEndIsNotQueued)
{
    AM_NoteEventQueue q;
    configure(q, 8);
    off(q, 60);
    EXPECT_EQ(q.getPendingCount(), 0);
    play(q, 61);
    off(q, 61);
    off(q, 61, 5); // a second release of the same note
    EXPECT_EQ(q.getPendingCount(), 1);
}

TEST(AM_NoteEventQueue, KeyCountsFollowStartedAndEndedNotesAndIgnoreForeignKeys)
{
    AM_NoteEventQueue q;
    configure(q, 8);
    play(q, 60);
    play(q, 64);
    EXPECT_EQ(q.getKeyCount(60), 1);
    EXPECT_EQ(q.getKeyCount(64), 1);
    off(q, 60);
    drain(q);
    EXPECT_EQ(q.getKeyCount(60), 0);
    for (int32_t key : {-1, 128, 1000}) {
        q.insert(key, 100, 0);
        EXPECT_EQ(q.getKeyCount(key), 0);
    }
    EXPECT_TRUE(drain(q).empty());
}

TEST(AM_NoteEventQueue, MonoReturnsTheVoiceToTheLatestKeyStillHeld)
{
    AM_NoteEventQueue q;
    configure(q, 1, true);
    EXPECT_EQ(play(q, 57, 90), 0);  // A
    EXPECT_EQ(play(q, 59, 100), 0); // B takes the one voice
    off(q, 59);
    std::vector<Event> back = drain(q);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].key, 57);
    EXPECT_EQ(back[0].velocity, 90u); // A's own velocity
    EXPECT_EQ(back[0].voice, 0);
    off(q, 57);
    std::vector<Event> end = drain(q);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].velocity, 0u);
}

TEST(AM_NoteEventQueue, MonoReleaseOfAKeyThatDoesNotSoundGivesNothing)
{
    AM_NoteEventQueue q;
    configure(q, 1, true);
    play(q, 57);
    play(q, 59);
    play(q, 60);
    off(q, 59);
    EXPECT_TRUE(drain(q).empty());
    EXPECT_EQ(q.getKeyCount(59), 0);
    off(q, 60);
    std::vector<Event> back = drain(q);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].key, 57); // 59 is gone
}

TEST(AM_NoteEventQueue, ThePedalHoldsNoteOffsAndSendsThemOnePerCallBeforeNewNotes)
{
    AM_NoteEventQueue q;
    configure(q, 8);
    const int32_t a = play(q, 60);
    const int32_t b = play(q, 62);
    q.setFlushMode(true);
    off(q, 60);
    off(q, 62);
    EXPECT_TRUE(drain(q).empty());
    EXPECT_EQ(q.getHeldRelease(a), 60);
    EXPECT_EQ(q.getHeldRelease(b), 62);

    q.setFlushMode(false);
    q.insert(70, 100, 0);
    q.setTimeBase(kBlock);
    const Event first = q.nextEvent(kBlock);
    const Event second = q.nextEvent(kBlock);
    const Event third = q.nextEvent(kBlock);
    // In voice order: b (6) before a (7); then the new note.
    EXPECT_EQ(first.voice, b);
    EXPECT_EQ(first.velocity, 0u);
    EXPECT_EQ(second.voice, a);
    EXPECT_EQ(second.velocity, 0u);
    EXPECT_EQ(third.key, 70);
    EXPECT_EQ(q.nextEvent(kBlock).key, -1);
    EXPECT_EQ(q.getHoldMode(), AM_NoteEventQueue::k_holdOff);
}

TEST(AM_NoteEventQueue, StartingAVoiceDropsTheNoteOffThePedalHeldForIt)
{
    AM_NoteEventQueue q;
    configure(q, 2);
    const int32_t a = play(q, 60);
    q.setFlushMode(true);
    off(q, 60);
    drain(q);
    ASSERT_EQ(q.getHeldRelease(a), 60);
    EXPECT_EQ(play(q, 61), 0); // the other free voice
    EXPECT_EQ(play(q, 62), a); // the released voice is taken again
    EXPECT_EQ(q.getHeldRelease(a), -1);
    q.setFlushMode(false);
    EXPECT_TRUE(drain(q).empty());
}

TEST(AM_NoteEventQueue, AFullPendingPoolDropsNoteOnsSilentlyAndCancelsWhatItCan)
{
    testsupport::TraceCapture trace;
    AM_NoteEventQueue q;
    configure(q, 24);
    for (int32_t k = 0; k < AM_NoteEventQueue::kPendingNodes; ++k)
        q.insert(k, 100, 10);
    q.insert(100, 100, 10); // no room: dropped
    EXPECT_EQ(q.getPendingCount(), AM_NoteEventQueue::kPendingNodes);
    // No room for the note-off of a pending note: both vanish.
    off(q, 5, 20);
    EXPECT_EQ(q.getPendingCount(), AM_NoteEventQueue::kPendingNodes - 1);
    std::vector<Event> events = drain(q);
    EXPECT_EQ(events.size(), 63u);
    for (const Event& e : events)
        EXPECT_NE(e.key, 5);
    EXPECT_EQ(trace.text(), "");
}

TEST(AM_NoteEventQueue, ANoteOffWithoutAnyRoomIsReported)
{
    testsupport::TraceCapture trace;
    AM_NoteEventQueue q;
    configure(q, 1, true);
    // 64 keys held without voice and one sounding key.
    for (int32_t k = 0; k < AM_NoteEventQueue::kPendingNodes; ++k)
        play(q, k);
    play(q, 100);
    // Their releases fill the pending pool with note-offs.
    for (int32_t k = 0; k < AM_NoteEventQueue::kPendingNodes; ++k)
        off(q, k);
    off(q, 100);
    EXPECT_EQ(trace.text(), "You have to play slower for me!\n\n");
    EXPECT_TRUE(q.linksIntact());
}

TEST(AM_NoteEventQueue, AResetForgetsNotesStampsPedalAndCounts)
{
    AM_NoteEventQueue q;
    configure(q, 8);
    play(q, 60);
    play(q, 61);
    q.setFlushMode(true);
    off(q, 60);
    drain(q);
    q.insert(70, 100, 500);
    q.reset();
    EXPECT_EQ(q.getPendingCount(), 0);
    EXPECT_EQ(q.getSoundingCount(), 0);
    EXPECT_EQ(q.getKeyCount(61), 0);
    EXPECT_EQ(q.getHoldMode(), AM_NoteEventQueue::k_holdOff);
    for (int32_t v = 0; v < 8; ++v) {
        EXPECT_EQ(q.getHeldRelease(v), -1);
        EXPECT_FALSE(q.isVoiceBusy(v));
    }
    EXPECT_EQ(play(q, 62), 7);
    EXPECT_TRUE(q.linksIntact());
}

TEST(AM_NoteEventQueue, ARestartKeepsWaitingNoteOnsAndAPedalThatIsDown)
{
    AM_NoteEventQueue q;
    configure(q, 8);
    play(q, 60);
    q.setFlushMode(true);
    off(q, 60);
    q.insert(62, 90, 30);
    q.insert(64, 0, 40); // a note-off of nothing is not even queued
    q.setVoiceCount(1);
    q.setMono(true);
    q.restart();
    EXPECT_EQ(q.getSoundingCount(), 0);
    EXPECT_EQ(q.getHeldRelease(7), -1);
    EXPECT_EQ(q.getHoldMode(), AM_NoteEventQueue::k_holdNoteOffs);
    std::vector<Event> events = drain(q);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].key, 62);
    EXPECT_EQ(events[0].time, 30);
    EXPECT_EQ(events[0].voice, 0);
    // The pedal still holds.
    off(q, 62);
    EXPECT_TRUE(drain(q).empty());
    EXPECT_EQ(q.getHeldRelease(0), 62);
    EXPECT_TRUE(q.linksIntact());
}

TEST(AM_NoteEventQueue, VoiceCountsOutsideOneTo24Give24)
{
    AM_NoteEventQueue q;
    for (int32_t n : {0, -3, 25, 1000}) {
        q.setVoiceCount(n);
        EXPECT_EQ(q.getVoiceCount(), 24);
    }
    q.setVoiceCount(12);
    EXPECT_EQ(q.getVoiceCount(), 12);
}

} // namespace
