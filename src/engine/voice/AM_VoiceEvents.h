#pragma once
// What the modules inside a voice circuit receive from it. Header only: the
// constants may be used by module code in any library.
//
// Voice events. The circuit calls dispatchVoiceEvent(voice, type, velocity,
// pitch, context) on the process context's voice-event chain: every module
// with class flag 0x20000, in tree order (the voice circuit itself first).
//   voice    the circuit's voice, 0 to voice count - 1: the copy of the
//            module's voice memory that the circuit hands it when it runs
//            that voice (AM_ChildRecord::voice is the same number).
//   type     AM_VoiceEventType below.
//   velocity note-on and retrigger: the note's velocity 0-1; note-off: the
//            velocity of the note that ends; fast release: 0.
//   pitch    note-on, retrigger and note-off: target pitch 1 in semitones
//            (key 69 = 69.0 with the default tuning); fast release: 0.
// Events arrive on the audio thread inside the circuit's per-block routine,
// at their time within the block: the voice has run up to that time and
// runs on from it after the event.
//
// Per-voice rows. For the voice being run, the circuit writes its control
// rows (first row r = the circuit's getFirstControlRow()), one value per
// control step of the stretch:
//   r+0 Gate        1 while the key is held; falls to 0 after the release
//   r+1 KeyFollow   (glided pitch 1 + voice offset - 64) / 64 + bend / 64:
//                   one unit is 64 semitones, 0 is pitch 64
//   r+2 KeyFollow2  the same for pitch 2 (duo: the upper key)
//   r+3 Velocity    0-1
//   r+4 Pressure    0-1, slewed
//   r+5 Alternate   +1 / -1, flipping from note to note
//   r+6 Random      a draw in [0, 1) per note
//   r+7 Voice       1 - 2 x slot / stack size (1 without stacking)
//   r+8 ArpModulator the step modulation of the arpeggiator (-1 to 1)
// Rows r+5 onward (the rows of the modules behind the circuit too) are kept
// per voice: each voice finds, in the last step of its stretch, the value
// it left there (the arpeggiator row is shared by all voices).
// The context's row-active flag of row r is 1 while the voice's gate runs
// and 0 once its release countdown has ended.
//
// Context. While a voice runs, AM_ProcessContext::presentKey holds its key
// after "Transpose", within 0-127 (with the default of -12 the MIDI key 60
// gives 48; the pitch adds the 12 back), and presentVelocity its velocity x
// 127; lastStartedVoice is the voice that started last.
//
// Ending a voice. AM_ChildRecord::flags bit k_childVoiceEnded is handed from
// module to module along the circuit's run list (each record starts with the
// bit of the record before it); when the last module of the run list leaves
// it set, the voice becomes idle and is not run any more. The last module (the
// voice mixer) sets it once the voice is silent.
//
// Messages. The circuit broadcasts k_msgFirstVoiceStarted (mask 0, arg 0)
// when a voice starts while none sounded, and k_msgAllVoicesEnded once no
// voice is left with its key down, from the audio thread.

#include "params/object/AM_Messages.h"

#include <cstdint>

enum AM_VoiceEventType : int32_t {
    k_voiceEventNoteOff = 0,
    k_voiceEventNoteOn = 1,
    k_voiceEventFastRelease = 2, // a stolen voice or a mode change: fade out
    k_voiceEventRetrigger = 3,   // a note-on on a voice that still sounds
};

// The child-record bit of a voice that has died away.
constexpr uint32_t k_childVoiceEnded = 0x20;

constexpr uint32_t k_msgFirstVoiceStarted = k_msgFirstNote;
constexpr uint32_t k_msgAllVoicesEnded = k_msgLastNoteOff;

// The circuit's control rows, counted from its first control row.
enum AM_VoiceRow : uint32_t {
    k_voiceRowGate = 0,
    k_voiceRowKeyFollow = 1,
    k_voiceRowKeyFollow2 = 2,
    k_voiceRowVelocity = 3,
    k_voiceRowPressure = 4,
    k_voiceRowAlternate = 5,
    k_voiceRowRandom = 6,
    k_voiceRowVoice = 7,
    k_voiceRowArpModulator = 8,
    k_voiceRowCount = 9,
};
