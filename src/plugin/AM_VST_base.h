#pragma once
// The plug-in's host adapter: every call of the host becomes a call on the
// synth's audio manager (or, for notifications, on the editor).
//
// One program, parameters in the published numbering (host indices below
// 10000) or by global id (10000 + id), the state as an opaque chunk of
// patch-state text (a bank chunk begins with a "#pgm=" line), MIDI input,
// stereo buses.
//
// Threads: processReplacing and processEvents run on the host's audio
// thread; they allocate nothing, lock nothing and never call editor code.
// setParameter and getParameter may come from any thread. Every other call
// comes from the host's other threads, one at a time ("not while
// processing" where the host must not overlap it with a process call). What
// the editor must hear about is queued and delivered on the editor's idle
// call (effEditIdle).

#include "plugin/AM_EditorNotificationQueue.h"
#include "plugin/AM_ProgramNameMailbox.h"
#include "plugin/vst/AudioEffectX.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class AM_VST_EditorSeam;
class Synth_AudioMan;
struct AM_ParamInfo;

class AM_VST_base : public AudioEffectX {
public:
    // The plug-in's unique ID, 'Wq3x'.
    static constexpr VstInt32 kUniqueId = vst::fourCharCode('W', 'q', '3', 'x');
    // Bytes of the program-name field and of the plug-in folder field.
    static constexpr uint32_t kProgramNameBytes = 64;
    static constexpr uint32_t kPluginFolderBytes = 512;
    // A program name longer than this is reported as its first
    // kShortenedNameChars characters and "...".
    static constexpr uint32_t kLongestProgramName = 23;
    static constexpr uint32_t kShortenedNameChars = 20;
    // Host indices from this one up address parameters by global id.
    static constexpr VstInt32 kInternalIndexOffset = 10000;
    // A setChunk this soon after construction (milliseconds) restores as
    // at start-up, and so does every later one in the process.
    static constexpr uint32_t kEarlyRestoreMilliseconds = 1000;
    // Host pointers the engine takes per direction.
    static constexpr int32_t kMaxChannelPointers = 16;
    // Frames of the engine's event grid.
    static constexpr int32_t kEventGridFrames = 16;

    // Builds the audio manager; tests may pass a factory for another one.
    using AudioManFactory = Synth_AudioMan* (*)();

    // In this order: the module's folder and file name ("_2io" in the file
    // name forces stereo buses), the unique ID and the program name
    // "initialize", the audio manager with the host's product name (or the
    // program's file name), its init (start-up files included), the
    // published parameter count and, when a host callback is given, the
    // channel layout and speaker arrangements, the record's flags and the
    // engine's latency. Host's loading thread.
    explicit AM_VST_base(audioMasterCallback audioMaster, AudioManFactory factory = nullptr);
    // Deletes the editor first, then (as the last instance of the ID) saves
    // the start-up files, deletes the audio manager and frees the speaker
    // arrangements. Not while processing.
    ~AM_VST_base() override;

    // The host's editor opcodes: open and close keep the editor's open state
    // for the notification queue; idle first delivers queued notifications.
    // Host threads, as each opcode allows.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;

    // --- Lifecycle. Not while processing.
    void suspend() override;
    // Asks the host for MIDI, then resets the engine.
    void resume() override;
    // Stores the rate and gives it to the engine (which resets).
    void setSampleRate(float rate) override;
    VstInt32 startProcess() override;
    VstInt32 stopProcess() override;

    // --- Processing. Audio thread only.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // MIDI messages to the engine's event kinds; always 1.
    VstInt32 processEvents(VstEvents* events) override;

    // --- Parameters by host index, normalised 0..1. Any thread.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    // Texts; the buffers hold at least kVstMaxParamStrLen bytes. Not while
    // processing.
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;
    // A published parameter's display name (from the data folder's
    // published-parameter file, else its long name) as the label and its
    // short name as the short label, so that hosts that ask can tell apart
    // parameters that share a short name. False for other indices.
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override;

    // --- The one program. Not while processing.
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    // --- State chunks. Not while processing.

    // The chunk handed to the host is the plug-in's copy, valid until the
    // host's next getChunk (the editor may write the engine's state
    // meanwhile).
    VstInt32 getChunk(void** data, bool isPreset) override;
    // 1 when the state was read, 0 when the data was refused (nothing
    // changed then).
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    // --- Names and capabilities. Any thread but the audio thread.
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 canDo(char* text) override;

    // --- Pins and speaker arrangements. Not while processing.
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                               VstSpeakerArrangement** pluginOutput) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                               VstSpeakerArrangement* pluginOutput) override;

    // --- Own operations.

    // A new program name (its first 23 characters), then the host is told
    // to update its display. User-interface thread (the editor).
    virtual void presetChanged(const char* name);
    // Copies the plug-in folder (with its trailing '/') into out, which
    // holds kPluginFolderBytes bytes. Any thread.
    virtual void getPluginFolder(char* out);
    // Fills out (kPluginFolderBytes bytes) with the module's folder, its
    // trailing '/', a zero and, behind that zero, the module's file name.
    // Not on the audio thread.
    virtual void findPluginFolder(char* out);
    // Arms MIDI learn for a parameter (global id): its controller
    // assignments are removed and the next controller other than 64 is
    // assigned to it; the same parameter again disarms. User-interface
    // thread (the editor).
    void setMidiLearnParameter(int32_t parameter);

    // --- The editor seam. User-interface thread.

    // Attaches the editor (the effect owns it; sets the has-editor flag).
    void attachEditor(AM_VST_EditorSeam* editorWindow);
    AM_VST_EditorSeam* getEditorSeam() const { return editorSeam_; }
    // Notifications dropped because the queue was full. Any thread.
    uint64_t droppedNotifications() const { return notifications_.overflowCount(); }

    // --- For the editor's view interface.

    // Tells the host that the editor changed a published parameter to a
    // normalised value the editor has already applied (audioMasterAutomate).
    // A host that answers by calling setParameter for that parameter on this
    // thread is not heard meanwhile: the value is applied once and the
    // editor told once. User-interface thread.
    void automateFromEditor(VstInt32 publishedIndex, float normalised);
    // Serialises the state operations of the host (getChunk, setChunk) with
    // those of the editor (its state reads and writes, which may change the
    // module selection around them). A host that asks for a chunk while the
    // editor holds the lock on the same thread (from a host callback) is
    // let through. Not on the audio thread.
    std::unique_lock<std::recursive_mutex> lockState()
    {
        return std::unique_lock<std::recursive_mutex>(stateMutex_);
    }

    // --- For the editor, the view interface and tests. Any thread.
    Synth_AudioMan* getAudioMan() const { return audioMan_.get(); }
    bool isMultiChannel() const { return multiChannel_.load(std::memory_order_relaxed); }
    bool isForcedStereo() const { return forceStereo_; }
    int32_t getMidiLearnTarget() const { return learnTarget_.load(std::memory_order_relaxed); }
    int32_t getLastLearnedController() const
    {
        return lastLearnedController_.load(std::memory_order_relaxed);
    }

    // The speaker-arrangement type for a channel count (kSpeakerArrMono for
    // counts without one). Any thread.
    static VstInt32 arrangementTypeFor(int32_t channels);

    // Back to the state of a freshly loaded module: no early restore yet,
    // and the window of kEarlyRestoreMilliseconds. Tests.
    static void resetProcessState();
    static bool earlyRestoreSeen();
    // Makes a setChunk this soon after construction (milliseconds) count as
    // early; kEveryRestoreEarly makes every one count, so that how long a
    // test took to get there never decides how a state is read. Tests;
    // not while chunks are set.
    static constexpr uint32_t kEveryRestoreEarly = 0xFFFFFFFFu;
    static void setEarlyRestoreWindow(uint32_t milliseconds);

protected:
    // A host index as (index, published): published numbering below 10000,
    // global id from there. False when it names no parameter.
    bool resolveHostIndex(VstInt32 hostIndex, int32_t& index, bool& published) const;
    const AM_ParamInfo* descriptorOf(VstInt32 hostIndex, int32_t& index, bool& published) const;

private:
    int32_t announcedBusChannels() const;
    void setUpChannels();
    void announceLatency();
    void takePendingProgramName();
    void storeProgramName(const char* name, uint32_t maxChars);
    void notifyEditor(const AM_EditorNotification& notification);
    void deliverNotifications();
    void readHostTime();
    void handOverBuffers(float** inputs, float** outputs);
    void midiMessage(const VstMidiEvent& event);
    void controllerMessage(int32_t controller, int32_t value, uint32_t frame);
    void applyControllerMap(int32_t controller, int32_t value);
    void programChange(int32_t program);
    uint32_t engineFrame(VstInt32 deltaFrames) const;
    bool fillPin(VstInt32 index, VstPinProperties* properties, bool output);
    // Allocates *arrangement with room for channels speakers (at least one)
    // and sets its count and type.
    void makeArrangement(VstSpeakerArrangement** arrangement, int32_t channels, VstInt32 type);
    bool acceptArrangement(VstSpeakerArrangement** stored, const VstSpeakerArrangement* offered);

    // In the order of the data model.
    int32_t programIndex_ = 0;
    char programName_[kProgramNameBytes] = {};
    char pluginFolder_[kPluginFolderBytes] = {};
    uint32_t constructionTick_ = 0;
    std::unique_ptr<Synth_AudioMan> audioMan_;
    VstSpeakerArrangement* inputArrangement_ = nullptr;
    VstSpeakerArrangement* outputArrangement_ = nullptr;
    std::atomic<int32_t> learnTarget_{-1};
    std::atomic<int32_t> lastLearnedController_{-1};
    std::atomic<bool> multiChannel_{false};

    bool forceStereo_ = false;
    // Channels per bus the buses announce (2 when stereo is forced).
    int32_t busChannels_ = 2;
    AM_VST_EditorSeam* editorSeam_ = nullptr;
    // True while the editor is open: only then are notifications queued.
    std::atomic<bool> editorOpen_{false};
    AM_EditorNotificationQueue notifications_;
    // Program names chosen by MIDI on the audio thread.
    AM_ProgramNameMailbox pendingProgramName_;
    // Held around every state read and write (never on the audio thread).
    std::recursive_mutex stateMutex_;
    // The host's copy of the last chunk it asked for: the editor may write
    // the state again while the host still reads it.
    std::vector<char> hostChunk_;
    // The published index the editor is telling the host about, and the
    // thread it does that on; -1 when it tells nothing.
    std::atomic<VstInt32> editorAutomationIndex_{-1};
    std::atomic<std::thread::id> editorAutomationThread_{};

    // Process-wide: set once a chunk arrived within a second of its
    // instance's construction; from then on every chunk restores as at
    // start-up.
    inline static std::atomic<uint32_t> earlyRestore_{0};
    // Process-wide: how soon a chunk counts as early (tests may change it).
    inline static std::atomic<uint32_t> earlyRestoreWindow_{kEarlyRestoreMilliseconds};
};
