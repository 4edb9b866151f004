#pragma once
// One read of a patch-state text (AM_ParaMan::readState makes one per
// call; reads may nest up to AM_ParaMan::kMaxStateLevels deep).
//
// A tolerant single pass: it takes what it recognises and skips the rest.
// The text is read from a private copy that ends in a zero byte, and every
// search and record walk is bounded by the copy's size, so no input makes it
// read outside. In order:
//   - a first line "#pgm=..." is skipped unread (the program name is the
//     host adapter's business);
//   - the "@meta" comment: author, description and usage (modes 0 and 1);
//   - "#AM=" naming another product: its preset adapter, if registered;
//   - the binary section behind "$$$$<size>", decoded into the records of
//     the data blocks (or records right behind the text's terminating zero);
//   - statements: "key=value" lines with comments, "<? ... ?>" script
//     blocks, "#" keys (sources, modules, defaults, version) and parameter
//     lines of the current module;
//   - at the end of a whole patch, every saved parameter the text did not
//     set returns to its default (unless "#defaults=no").
//
// Runs on the thread that reads the state, never the audio thread.

#include "params/AM_ParaMan.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AM_PresetAdapter;
class AM_ScriptMachine;

class AM_StateReader {
public:
    // Copies size bytes of text (size > 0) for the read at nesting level
    // `level` of the manager. filter: the module the read is limited to, or
    // -1 to take it from "SelMod".
    AM_StateReader(AM_ParaMan& manager, const char* text, int32_t size, int32_t mode, int32_t level,
                   int32_t filter);
    ~AM_StateReader();
    AM_StateReader(const AM_StateReader&) = delete;
    AM_StateReader& operator=(const AM_StateReader&) = delete;

    void run();

    // Per parameter: how the read stands with it (the manager keeps a
    // pointer to the array of each level).
    enum Pending : uint8_t { kUntouched = 0, kPending = 1, kSet = 2 };

private:
    enum Defaults { kUndecided = 0, kResetUnmentioned = 1, kKeepUnmentioned = 2 };

    char at(uint32_t i) const { return i < size_ ? text_[i] : 0; }
    // Position of needle at or after from, ending before limit; limit when
    // there is none.
    uint32_t find(const char* needle, uint32_t from, uint32_t limit) const;
    bool atLineStart(uint32_t i) const;
    // find() to the text's end, passing over the "@meta" comment.
    uint32_t findOutsideMeta(const char* needle, uint32_t from) const;

    uint32_t skipProgramLine() const;
    uint32_t readMetaBlock(uint32_t from);
    void findPresetAdapter(uint32_t from);
    void readBinarySection(uint32_t from);
    void scanStatements(uint32_t from);
    uint32_t runScript(uint32_t open);
    void statement(char* text, int32_t equals);
    void hashKey(const char* key, const char* value);
    void sourceCount(const char* value, std::vector<int32_t>& map, int32_t* fill, bool first);
    void sourceName(const char* value, std::vector<int32_t>& map, int32_t* fill, bool first);
    void moduleLine(const char* value);
    void parameterLine(const char* key, const char* value);
    void switchLine(const char* key, const char* value);
    int32_t findKey(const char* key);
    float listValue(int32_t id, const char* value) const;
    void setData(int32_t id, const char* value);
    void setAssignment(int32_t id, const char* value);
    void apply(int32_t id, float value);
    void markAllPending();
    void finish();

    AM_ParaMan& man_;
    std::unique_ptr<char[]> text_; // size_ + 1 bytes, the last one zero
    uint32_t size_;
    uint32_t textEnd_; // the first zero byte (size_ when there is none before)
    int32_t mode_;
    int32_t level_;
    int32_t selected_; // the module of a module preset, 0 or less for none
    uint32_t line_ = 1;
    Defaults defaults_ = kUndecided;
    uint32_t version_ = 0;
    int32_t current_ = -1;
    int32_t cursor_ = -1;
    std::vector<int32_t> sourceMap_;
    int32_t sourceFill_ = 0;
    std::vector<int32_t> secondMap_;
    int32_t secondFill_ = 0;
    const uint8_t* records_ = nullptr;
    uint32_t recordBytes_ = 0;
    AM_PresetAdapter* adapter_ = nullptr;
    bool translateKeys_ = false;
    std::unique_ptr<AM_ScriptMachine> machine_;
    std::vector<uint8_t> pending_;
    bool metaFound_[AM_ParaMan::kMetaTexts] = {};
    uint32_t metaStart_ = 0; // the "@meta" comment, empty when there is none
    uint32_t metaEnd_ = 0;
    std::vector<uint8_t> payload_;
};
