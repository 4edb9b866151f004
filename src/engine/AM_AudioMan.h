#pragma once
// The root of the audio side: one per plug-in instance.
//
// The audio manager owns its message host (unless it was given one), the
// parameter manager, the main circuit "main: Main Loop Circuit" that holds
// every top-level module, the one zeroed, 16-byte-aligned engine block from
// which the process context and every engine buffer are carved, a
// 2048-point real FFT with its two work buffers, the plug-in information
// block, the registry of preset adapters and the engine options. It counts
// its plug-in ID in the process-wide table of shared instances.
//
// Life: construct -> setPluginId -> setHostName -> init (once) -> reset
// (when the host resumes) and processBlock per host block -> destroy. A
// subclass builds its modules in buildModules (called by init) with
// addModule, and adjusts the parameter set in setupParameters.
//
// Per host block the engine renders sub-blocks of at most 64 samples, in
// units of 16, and answers every block with exactly its frames delayed by 16
// samples (the latency in the information block): rendered frames not yet
// due wait in the output carry, host input not yet rendered waits as pending
// input.
//
// The class is split by concern over several files: construction and
// teardown (AM_AudioMan.cpp), init and the engine block (AM_AudioManInit.cpp),
// per-block processing (AM_AudioManProcess.cpp), reset and the sample rate
// (AM_AudioManReset.cpp), the modulation routing (AM_AudioManRouting.cpp),
// FFT and random numbers (AM_AudioManServices.cpp), the services the modules
// and the parameter manager ask of their owner (AM_AudioManOwnerServices.cpp),
// the multi-channel and no-latency paths (AM_AudioManChannels.cpp), the
// access layer (AM_AudioManAccess.cpp), MIDI input and program banks
// (AM_AudioManMidi.cpp, AM_AudioManBanks.cpp) and the start-up files
// (AM_AudioManStartup.cpp).

#include "engine/AM_ChannelTables.h"
#include "engine/AM_DataBlockStaging.h"
#include "engine/AM_GainRamp.h"
#include "engine/AM_SharedInstance.h"
#include "engine/module/AM_AudioObject.h"
#include "engine/module/AM_ChildRecord.h"
#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_PluginInfo.h"
#include "engine/module/AM_ProcessContext.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class AM_AudioObject;
class AM_CircuitObject;
class AM_Directory;
class AM_ObjectHost;
class AM_ParaMan;
class AM_PresetAdapter;
class AM_PublishedNumbering;
class AM_RealFFT;
class PresetFolder;
class PresetListItem;

class AM_AudioMan : public AM_EngineOwner {
public:
    // Entries of the own message host.
    static constexpr int32_t kOwnHostCapacity = 100;
    // The FFT service: length and the two work buffers of that many floats.
    static constexpr int32_t kFFTLength = 2048;
    static constexpr int32_t kPresetAdapterSlots = 16;
    static constexpr int32_t kHostNameBytes = 256;
    static constexpr int32_t kEngineOptionCount = 4;
    // Engine options (setEngineOption).
    static constexpr int32_t kOptionEditor = 0;
    static constexpr int32_t kOptionBlockLatencyOff = 1;
    static constexpr int32_t kOptionParameterReport = 2;
    // Samples between a host input frame and its output frame.
    static constexpr uint32_t kLatency = 16;
    // Sample rates the engine accepts; setSampleRate refuses any other.
    static constexpr float kMinSampleRate = 1000.0f;
    static constexpr float kMaxSampleRate = 1536000.0f;
    // The rate the engine runs at until the host sets one.
    static constexpr float kDefaultSampleRate = 44100.0f;
    static constexpr int32_t kMeterChannels = 16;
    // MIDI activity decay per block.
    static constexpr float kMidiActivityDecay = 0.97f;

    // The host may be null: the audio manager then makes its own host of 100
    // entries. Channel capacity: bus rows of the main circuit; modulation
    // slots: rows of the modulation matrix (0 switches modulation off).
    // Allocates (FFT, buffers): not on the audio thread.
    AM_AudioMan(AM_ObjectHost* host, uint32_t channelCapacity, uint32_t modulationSlots);
    // Deletes the module tree, the engine block, the own host, the FFT; gives
    // up this instance's count in the shared-instance table (the last
    // instance of a plug-in ID frees the entry's tables); deletes the
    // registered preset adapters. Not while processing.
    ~AM_AudioMan() override;

    // Message 9 counts the modules; message 52 restarts the clock when the
    // context's restart-on-note field is set; messages 12, 42 and 34 go to
    // their hooks. Then the object base. Thread of the sender.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    // --- Building. Thread that builds the engine, before init unless said.

    // Where a subclass builds its module tree with addModule. Called by init
    // once the parameter manager exists. Does nothing here.
    virtual void buildModules();
    // The parameter manager's set-up calls this once the joint table exists;
    // a subclass hides parameters and changes defaults here. Does nothing
    // here.
    void setupParameters() override;
    // Adds a module to the main circuit (created on the first call, with the
    // parameter manager as its first child). False when the circuit refuses
    // it (it needs more channels than the capacity, or it is null): the
    // caller still owns it then. Before init.
    virtual bool addModule(AM_AudioObject* module);
    // Numbers and describes the modules, carves the engine block, fills the
    // process context, sets up the parameters, resets the tree and runs the
    // start-up loader. Once; a second call only writes a trace line.
    virtual void init();
    // The start-up loader: shared tables for the first instance of a plug-in
    // ID, the published numbering and the default preset. Called at the end
    // of init.
    virtual void loadStartupFiles();
    // True while the state is the one the default preset gave at start-up:
    // any later state (a host's, a preset's) ends it. Any thread.
    bool startedFromDefaultPreset() const
    {
        return startedFromDefaultPreset_.load(std::memory_order_relaxed);
    }
    // XY pads and targets per pad of the parameter manager; effective only
    // before the first module is added and before init.
    virtual void setXYPadLayout(uint32_t pads, uint32_t targetsPerPad);

    // --- Identity and the shared-instance table. Thread that builds and
    // destroys engines.

    // Stores the ID and counts this instance under it (a repeated call moves
    // the count to the new ID). ID 0 is not counted. Returns 0.
    virtual int32_t setPluginId(uint32_t id);
    virtual uint32_t getPluginId();
    // The table entry of the plug-in ID, or null (no ID, or the table was
    // full when the ID was set).
    virtual AM_SharedInstance* getSharedInstanceEntry();
    // Live instances of the plug-in ID; 0 without an entry.
    virtual uint32_t getInstanceCount();
    // Copies the host's product name (at most 255 bytes; null is ignored).
    virtual void setHostName(const char* name);
    const char* getHostName() override;

    // --- Accessors. Any thread.

    AM_ProcessContext* getProcessContext() override;
    AM_PluginInfo* getPluginInfo() override;
    // The 128-entry MIDI controller map of a subclass; null here.
    virtual int32_t* getMidiCCMap();
    // Engine option words; 0 for an index outside 0..3.
    virtual uint32_t getEngineOption(int32_t index);
    uint32_t getModulationSourceCount() override;

    // --- Processing. Audio thread unless said.

    // Renders one host block: the host adapter has set the context's sample
    // frames, channel pointers and time information. Rebuilds a dirty
    // modulation routing, then runs the path the engine options and the
    // channel layout choose. Allocates nothing, locks nothing. Does nothing
    // before init.
    virtual void processBlock();
    // The path for more than two channels per bus: the stereo path's
    // 16-sample delay kept per channel, routed by the channel layout
    // ("ChLay", "SurrO") and the connected host channels; dry outputs carry
    // their own input delayed by 16 samples. Every connected output is
    // written in full. Audio thread; allocates nothing.
    virtual void processBlockMultiChannel();
    // The path for block latency off (engine option 1), for any channel
    // count: the host block rendered as it comes, without delay, in whole
    // units of 16 samples; frames after the last whole unit are silent, as
    // are outputs the layout gives no bus channel. Leaves the carry of the
    // delayed paths alone. Audio thread; allocates nothing.
    virtual void processBlockNoLatency();
    // Clears carries and pending input, resets the module tree and sets the
    // master gain to the output value. Between blocks at most once: a second
    // call before the next block changes nothing. Also lets parameter
    // changes go through the queue from now on. Called when the host resumes;
    // not while processing.
    virtual void reset();
    // Writes the rate into the process context (single and double precision,
    // both periods, the truncated integer rate) and always resets, whatever
    // the reset state. Before init the rate is kept for init (which otherwise
    // starts at 44100 Hz). A rate that is not a finite number above 0 is
    // refused with a trace line. Not while processing.
    virtual void setSampleRate(float rate);
    // Marks the modulation routing for a rebuild before the next block. Any
    // thread.
    void invalidateModulationRouting() override;
    // Rebuilds the circuits' apply and restore lists from the modulation
    // records. Audio thread (or any thread while nothing processes).
    virtual void rebuildModulationRouting();

    // --- Services.

    // A value in [low, high) from the process-wide sequence every module and
    // instance shares. Any thread, lock-free.
    static float randomRange(float low, float high);
    // 2048-point real FFT between the work buffers: forward from the first
    // into the second, inverse from the second into the first (2048 times the
    // signal). With the information block's sign-convention flag the second
    // buffer's upper half is negated around the inverse, and a forward result
    // is scaled by 2 (lower half) and -2 (upper half). Not on the audio
    // thread; one transform at a time.
    void transformFFT(bool inverse);
    // The first buffer, the second, and the second's upper half (1024 floats
    // in). Any thread.
    void getFFTBuffers(float** first, float** second, float** secondUpper);

    // --- Owner services of the modules and the parameter manager.

    int32_t findParameterIndex(int32_t moduleIndex, int32_t localIndex) override;
    AM_ParamInfo* getParameterDescriptor(int32_t index, bool published) override;
    float getParameter(int32_t index, bool published) override;
    void setParameter(int32_t index, float value, bool published) override;
    // An empty operation: this engine has no circuit routing of its own.
    void setCircuitRouting(AM_CircuitObject* circuit, float value) override;
    AM_AudioObject* getModuleByName(const char* shortName) override;
    int32_t getModuleCount() override;
    AM_ModuleRecord* getModuleRecord(int32_t moduleIndex) override;
    void* getBinaryParameterData(int32_t index) override;
    bool copyBinaryParameterData(int32_t index, void* to, uint32_t size) override;
    void setBinaryParameterData(int32_t index, const void* data, uint32_t size) override;
    void writeSharedStorage(void* to, uint32_t capacity, const void* data, uint32_t size) override;
    void readLevels(float* inputLevels, float* outputLevels) override;
    void setMeteringCount(uint32_t blocks) override;
    float* getMidiActivityAddress() override;
    float* getChannelMeterAddress() override;
    AM_ParamInfo* findParameter(const char* moduleShortName,
                                const char* parameterShortName) override;
    // Stores an option word: option 0 set to 1 sets the information block's
    // option byte, option 1 set to 1 lowers the announced latency by 16 once,
    // option 2 prints the published-parameter report. Indices outside 0..3
    // are refused with a trace line. Not while processing.
    void setEngineOption(int32_t index, uint32_t value) override;
    // Stores the adapter in the first free of 16 slots and returns the slot;
    // -1 (nothing stored, the caller keeps the adapter) when all are taken.
    // The audio manager deletes registered adapters.
    virtual int32_t registerPresetAdapter(AM_PresetAdapter* adapter);
    AM_PresetAdapter* findPresetAdapter(const char* productName) override;

    // --- The access layer of the host adapter and the editor interface
    // (AM_AudioManAccess.cpp). Host indices of parameters: with the
    // published flag, an index below 10000 is a published number and an
    // index from 10000 up is the global id plus 10000; without it, a global
    // id. An index that names no parameter changes nothing and answers 0
    // (null, -1 where an index is answered). Any thread after init unless
    // said; nothing here runs on the audio thread except where said.

    static constexpr int32_t kHostInternalOffset = 10000;
    // The global id a (host) index names, or -1.
    int32_t resolveParameterIndex(int32_t index, bool published) const;
    // Published parameters, or all parameters; 0 before init.
    virtual int32_t getParameterCount(bool published);
    // The published number of a global id; -1 when it has none, for an index
    // outside the table, and before init.
    virtual int32_t getPublishedIndex(int32_t internalIndex);
    // The global id of a published number; -1 outside the numbering and
    // before init.
    virtual int32_t getInternalIndex(int32_t publishedIndex);
    // The value names of a list parameter (32-byte entries) through list,
    // and their count; 0 when it has none, and before init.
    virtual int32_t getParameterValueString(int32_t index, AM_ValueNames* list, bool published);
    // Hides a parameter (flag 0x100: neither shown nor saved); a pair that
    // names none is traced. Thread that builds the engine (setupParameters).
    virtual void hideParameter(const char* moduleShortName, const char* parameterShortName);
    // "short: long name" of a module; null outside 0 to module count - 1.
    virtual const char* getModuleName(int32_t moduleIndex);
    // Deprecated: only traces.
    virtual void importStateInfo();
    // The whole patch state as text with its binary section, after the
    // optional first line (the host's "#pgm=" line; null for none). The text
    // belongs to the parameter manager and stays valid until its next state
    // write. Null and size 0 when it cannot be made. Not on the audio thread.
    virtual const char* getChunk(uint32_t* size, const char* firstLine);
    // Reads a state text of size bytes (mode 0, or 1 at start-up: also the
    // parameters left out of snapshots). False when the reader refuses it
    // (nothing changed then). Not on the audio thread.
    virtual bool setChunk(const void* data, int32_t size, int32_t mode);
    // Applies the current state again (getChunk, then setChunk with mode 1).
    // Not on the audio thread.
    virtual void reloadState();

    // --- MIDI input and programs (AM_AudioManMidi.cpp, AM_AudioManBanks.cpp).

    // Room for a program name and its terminator.
    static constexpr uint32_t kProgramNameBytes = 64;
    // Programs a bank counts at most.
    static constexpr uint32_t kMaxProgramsPerBank = 255;
    // An event of AM_MidiEvent's kinds: notes, controllers, wheels, pressure,
    // all notes off and sustain go to the modules that take MIDI; a bank
    // select (controller 0) also chooses the bank, value x 127 rounded; a
    // parameter event is queued as a ramped change. Audio thread; allocates
    // nothing, locks nothing.
    virtual void midiEvent(int32_t kind, int32_t arg, float value, float value2, uint32_t frame);
    // Applies program `program` of the current bank from its in-memory
    // snapshot and copies its name ("bank:program name") into name (cut to
    // nameCapacity, terminated). False, with the state unchanged, for a bank
    // or program that does not exist or holds no preset. Audio thread (the
    // host's event delivery) or any single thread that applies changes;
    // allocates nothing, locks nothing, touches no file.
    virtual bool selectProgram(int32_t program, char* name,
                               uint32_t nameCapacity = kProgramNameBytes);
    // Prepares the programs of one bank from `item` on (item first gets
    // program number `program`): loads each file into the live state, keeps
    // a snapshot of the result when it loaded, drops the file object and
    // renames the item "bank:program name". Thread that builds the engine.
    virtual void loadBankFolder(PresetListItem* item, uint32_t bank, uint32_t program);
    // The bank chosen by bank select. Any thread (may be stale).
    int32_t getCurrentMidiBank() const;
    // The programs a bank counts: its presets, at most kMaxProgramsPerBank.
    static int32_t countPrograms(const PresetFolder& bank);
    // The bank chain this instance selects programs from, and its length.
    PresetFolder* getMidiBanks() const { return midiBanks_; }
    uint32_t getMidiBankCount() const { return midiBankCount_; }

    // --- Start-up files (AM_AudioManStartup.cpp). Not on the audio thread.

    // Writes the MIDI controller map (when it was loaded or changed) and the
    // bank list "Midi.Bank.Cache.txt", only as the last instance of the
    // plug-in ID. The plug-in class calls it before deleting that instance.
    virtual void saveStartupFiles();
    // Reads a preset file ("h2p" whole, "fxp" its checked program chunk)
    // and applies it as the state. True when it was read and applied.
    virtual bool loadPresetFile(PresetListItem* item);
    // Makes sure the "MIDI Programs" folder exists.
    virtual void scanPresetFolders();
    // Only traces.
    virtual void scanPresets();

    // --- Hooks of messages 12 and 42, and of message 34. Do nothing here.

    virtual void diagnosticsHook(void* ptr, uint32_t message, uint32_t arg);
    virtual void circuitSignalHook(uint32_t arg, void* ptr);

    // --- State, for the other parts of the engine and for tests. Any thread
    // (values read while processing may be stale).

    AM_ParaMan* getParaMan() const { return paraMan_; }
    AM_CircuitObject* getMainCircuit() const { return mainCircuit_; }
    // Rendered frames not yet delivered, and host input frames not yet
    // rendered; they add up to 16 after every block.
    uint32_t getAheadCount() const { return aheadCount_; }
    uint32_t getPendingCount() const { return pendingCount_; }
    // The gain the last block ended on.
    float getMasterGain() const { return masterGain_; }
    uint32_t getEngineBlockSize() const { return engineBlockSize_; }
    // Channels per bus the engine block was carved for (at least 2, at most
    // 16): the carry area holds that many output and input arrays.
    uint32_t getCarvedChannelsPerBus() const { return carvedChannelsPerBus_; }
    bool isInitialised() const { return context_ != nullptr; }

    // --- Channel routing of the multi-channel and no-latency paths. Any
    // thread (values read while processing may be stale).

    // The tables the last block of those paths was routed by.
    const AM_ChannelTables& getChannelTables() const { return channelTables_; }
    // The 16 pan positions the process context points the modules at.
    const float* getPanPositions() const { return panPositions_; }
    // The next write place (0 to 15) of the dry delay lines.
    uint32_t getRingPosition() const { return ringPosition_; }
    // Blocks for which those paths still measure levels.
    uint32_t getMeteringCount() const { return meteringCount_.load(std::memory_order_relaxed); }

protected:
    // --- Per-block building blocks that every process path uses. Audio
    // thread.

    // The ramp of the master gain across the n frames a block delivers: from
    // the master gain to the main circuit's "Output" x 0.01 (a block of 0
    // frames keeps the gain).
    AM_GainRamp beginGainRamp(uint32_t frames) const;
    // The main circuit's "Output" x 0.01 (the master gain when that is not a
    // finite number).
    float outputGain() const;
    // The main circuit's record for its routine: voice memory of voice 0,
    // global memory, routine, rows 0, voice 2, flags run | created.
    void prepareMainRecord();
    // Clears bus rows 2 up to the channel capacity.
    void clearExtraBusRows();
    // Counts the sub-block and runs the main circuit for `frames` samples (a
    // multiple of 16).
    void runMainCircuit(int32_t frames);
    // The MIDI activity level decays by one block.
    void decayMidiActivity();
    // The carry area: carried output of channel c, pending input of channel c.
    float* carriedOutput(uint32_t channel) const;
    float* pendingInput(uint32_t channel) const;

    // The stereo path: host channels 0 and 1 with the 16-sample delay.
    void renderStereoBlock();

    // --- Building blocks of the multi-channel and no-latency paths. Audio
    // thread.

    // What one block of those paths routes where (AM_AudioManChannels.cpp).
    struct ChannelRouting;
    // Input levels (while metering), channel tables, pan positions, the main
    // circuit's record, and the routing of the block; dry outputs only for
    // the multi-channel path. True while the levels are measured.
    bool beginChannelBlock(ChannelRouting& routing, bool withDryOutputs);
    // One sub-block of `frames` samples once the bus holds its input: the
    // rows after the last bus channel with a source, up to the channel
    // capacity, are cleared; the main circuit runs with its voice field set
    // to the sourced rows; the bus rows that reach an output are flushed.
    void renderChannelSubBlock(const ChannelRouting& routing, uint32_t frames);
    // The dry outputs: each its own host input through its delay line.
    void passDryOutputs(const ChannelRouting& routing, uint32_t frames);
    // Silent outputs zeroed, the metering count and the output levels, the
    // MIDI activity.
    void endChannelBlock(const ChannelRouting& routing, bool metering, uint32_t frames);
    // Clears the dry delay lines (reset).
    void clearChannelState();

    // --- Fields of the multi-channel and no-latency paths.

    AM_ChannelTables channelTables_{};
    float panPositions_[k_channelTableSize] = {};
    // The dry delay lines, one per host channel, apart from the carry area;
    // all share the ring position.
    float dryLines_[k_channelTableSize][kLatency] = {};
    uint32_t ringPosition_ = 0;
    // Bit c: the previous block kept dry line c (resp. the carried output of
    // host output c) up to date. Anything else holds samples of an earlier
    // time and is cleared before it is used again.
    uint32_t freshDryLines_ = 0;
    uint32_t freshCarries_ = 0;

    // --- Fields.

    AM_CircuitObject* mainCircuit_ = nullptr;
    AM_ModuleRecord* moduleRecords_ = nullptr;
    uint32_t moduleRecordCount_ = 0;
    AM_ParaMan* paraMan_ = nullptr;
    AM_AudioObject* midiReceivers_ = nullptr;
    AM_AudioObject* voiceEventReceivers_ = nullptr;
    AM_ProcessContext* context_ = nullptr;
    uint8_t* engineBlock_ = nullptr;
    AM_AudioObject** moduleTable_ = nullptr;
    uint32_t moduleTableSize_ = 0;
    int32_t moduleCount_ = 0;
    uint32_t channelCapacity_;
    uint32_t modulationSlots_;
    int32_t indexedObjectCount_ = 0;
    uint32_t xyPads_ = 0;
    uint32_t xyTargetsPerPad_ = 0;
    uint32_t controlRowCount_ = 0;
    uint32_t modSourceCount_ = 0;
    uint32_t engineBlockSize_ = 0;
    float* carryArea_ = nullptr;
    uint32_t carvedChannelsPerBus_ = 0;
    // Output carry: rendered frames not yet delivered (A), and host input
    // frames taken but not yet rendered (P); A + P = 16 after every block.
    uint32_t aheadCount_ = 0;
    uint32_t pendingCount_ = 0;
    // Set from any thread; the next block rebuilds the routing.
    std::atomic<uint8_t> routingDirty_{0};
    AM_ObjectHost* ownHost_ = nullptr;
    AM_PresetAdapter* presetAdapters_[kPresetAdapterSlots] = {};
    std::unique_ptr<AM_RealFFT> fft_;
    // Non-zero between a reset and the next block.
    uint32_t resetDone_ = 0;
    // The gain the previous block ended on.
    float masterGain_ = 0.0f;
    struct alignas(16) FFTBuffer {
        float data[kFFTLength];
    };
    std::unique_ptr<FFTBuffer> fftBuffers_[2];
    AM_PluginInfo pluginInfo_{};
    uint32_t pluginId_ = 0;
    // The ID this instance is counted under in the shared-instance table.
    uint32_t countedId_ = 0;
    // The shared entry's published-parameter table, taken by the start-up
    // loader (not owned).
    AM_PublishedNumbering* publishedTable_ = nullptr;
    // The MIDI bank chosen by bank select (audio thread).
    int32_t currentMidiBank_ = 0;
    // The shared entry's bank chain and bank count, taken by the start-up
    // loader, so that program changes need not look the entry up.
    PresetFolder* midiBanks_ = nullptr;
    uint32_t midiBankCount_ = 0;
    char hostName_[kHostNameBytes] = {};
    // Written by the process paths, read by the user interface through
    // std::atomic_ref.
    float inputLevels_[kMeterChannels] = {};
    float outputLevels_[kMeterChannels] = {};
    // While not 0 the multi-channel paths measure levels, counting it down.
    std::atomic<uint32_t> meteringCount_{0};
    // 1.0 on MIDI input, decaying per block ("MidiLed"); the channel meter
    // value ("ChanMet"). Written and read through std::atomic_ref.
    float midiActivity_ = 0.0f;
    float channelMeter_ = 0.0f;
    uint32_t engineOptions_[kEngineOptionCount] = {};
    // The rate init writes into the context.
    float initialSampleRate_ = kDefaultSampleRate;
    // The main circuit's record for its routine, refreshed every block.
    AM_ChildRecord mainRecord_{};
    // Set once init has built the tree; no module is added after it.
    bool initDone_ = false;

private:
    bool keepPreviousMidiMap(AM_Directory& support, const char* name);
    // The first instance's part of the start-up loader; false when the
    // Presets folder cannot be found (the loader then stops).
    bool loadSharedStartupFiles(AM_SharedInstance* entry);
    void loadMidiBanks(AM_SharedInstance* entry, AM_Directory& presets);
    void loadDefaultPreset();
    void writeBankCache(const PresetFolder& root);
    bool ensureMainCircuit();
    void carveEngineBlock();
    void describeModules();
    void storeSampleRate(float rate);
    void resetEngine();

    // --- Data-block writes (AM_AudioManOwnerServices.cpp). Once the engine
    // processes, a write from another thread waits in a staging slot and the
    // audio thread copies it into the module at the start of its next block.

    // One slot per data block of a module other than the parameter manager
    // (whose own blocks the audio thread never reads). Init.
    void buildDataBlockStaging();
    // Copies the waiting writes into their modules and notifies them. Audio
    // thread, at the start of a block.
    void applyStagedDataBlocks();
    // Writes a block into its module's storage and notifies the module.
    // Before processing, or on the audio thread.
    void storeDataBlock(const AM_ParamInfo& info, const void* data, uint32_t size);
    // Writes capacity bytes of module storage (data, then zeros) byte by
    // byte through atomic stores, with storageWrites_ odd meanwhile, so a
    // reader on another thread can tell a copy that overlapped a write. The
    // audio thread's writes; the other threads' go through
    // writeSharedStorage.
    void writeStorage(void* to, uint32_t capacity, const void* data, uint32_t size);
    AM_DataBlockStaging dataBlockStaging_;
    // Counts the starts and ends of writes into data-block storage.
    std::atomic<uint32_t> storageWrites_{0};
    // The same for writeSharedStorage, whose writers (never the audio
    // thread) take turns through sharedWriteLock_, so that each count has
    // one writer at a time.
    std::atomic<uint32_t> sharedWrites_{0};
    std::mutex sharedWriteLock_;
    std::atomic<bool> startedFromDefaultPreset_{false};
};
