#pragma once
// CustomParamTable: the numbering under which the host sees the published
// parameters (those with flag 0x4), and the display name of each.
//
// By default published number p is the p-th published parameter in
// joint-table order. The text file "com.<vendor>.<effect>.publicparams.txt"
// in the Support folder can fix the number and the display name of any
// published parameter, one line each:
//
//   <number>:<module short name>:<parameter short name>"<display name>"
//
// so that host automation keeps pointing at the same parameters when the
// engine's parameter set changes. Numbers the file does not give go, in
// ascending order, to the parameters it does not name, in default order.
//
// Every published parameter ends with exactly one number and every number
// with exactly one parameter: a line for a number or a parameter that an
// earlier line took is ignored with a trace line.
//
// One table exists per plug-in ID (in the shared-instance entry): the first
// instance builds and loads it on the thread that builds the engine; it is
// read-only afterwards (any thread).

#include "params/AM_PublishedNumbering.h"

#include <cstdint>
#include <memory>

class AM_EngineOwner;

class CustomParamTable : public AM_PublishedNumbering {
public:
    // A display name holds at most 23 characters and its terminator.
    static constexpr int32_t kDisplayNameBytes = 24;
    // Characters of a line of the file that are read; the rest is skipped.
    static constexpr uint32_t kMaxLineChars = 63;
    // Larger files are refused.
    static constexpr uint64_t kMaxFileBytes = 1u << 20;

    struct Entry {
        int32_t publishedNumber;  // -1 until numbered
        uint32_t defaultPosition; // the entry's own place: the default number
        int32_t globalId;         // the parameter at that default position
        char displayName[kDisplayNameBytes];
        bool named; // the display name comes from the file
    };

    // An empty table (count 0).
    CustomParamTable();
    ~CustomParamTable() override;
    CustomParamTable(const CustomParamTable&) = delete;
    CustomParamTable& operator=(const CustomParamTable&) = delete;

    // Frees the entries and both maps; the count becomes 0.
    void clear();
    // One entry per published parameter of the owner (publishedCount of
    // them, as the parameter manager counts them) in default order, none
    // numbered yet: entry k names the parameter the owner describes under
    // published number k, with its long name (cut to 23 characters) as
    // display name.
    void buildFromParameters(AM_EngineOwner& owner, int32_t publishedCount);
    // Reads the numbering file of the owner's vendor and effect names, when
    // there is one, and completes the numbering (identity without a file).
    void load(AM_EngineOwner& owner);
    // The file's part of load: applies the lines of a text, then completes
    // the numbering.
    void applyText(AM_EngineOwner& owner, const char* text);

    // The global id of published number p; -1 (with a trace line) outside
    // 0 to count - 1.
    int32_t getInternalIDFromPublished(int32_t p) const override;
    // The display name the file gave the parameter of published number p;
    // empty when it gave none, so that the parameter keeps its own long name
    // (the parameter manager copies a display name over the long name, cut
    // to 15 characters). Null (with a trace line) outside 0 to count - 1.
    const char* getPublishedName(int32_t p) const override;

    int32_t getCount() const { return count_; }
    // Entry k (default position k); null outside 0 to count - 1.
    const Entry* getEntry(int32_t k) const;

    // The file name for a vendor and an effect name, cut to capacity.
    static void fileName(char* out, uint32_t capacity, const char* vendor, const char* effect);

private:
    void applyLine(AM_EngineOwner& owner, const char* line, int32_t& previous);
    int32_t entryOfGlobalId(int32_t globalId) const;
    void complete();

    int32_t count_ = 0;
    std::unique_ptr<Entry[]> entries_;
    std::unique_ptr<int32_t[]> entryOfNumber_;
    std::unique_ptr<int32_t[]> globalIdOfNumber_;
};
