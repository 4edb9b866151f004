#pragma once
// A converter of presets written by another product: the state reader hands
// it the module names and keys of such a text so that it can translate them
// into this engine's names. The audio manager keeps the registered adapters
// (findPresetAdapter by product name) and deletes them.
//
// All operations are called by the state reader, on the thread that reads
// the state (never the audio thread).

#include <cstdint>

class AM_PresetAdapter {
public:
    static constexpr int32_t kProductNameBytes = 32;

    // The product whose presets the adapter converts (at most 31
    // characters are kept).
    explicit AM_PresetAdapter(const char* productName);
    virtual ~AM_PresetAdapter() = default;
    AM_PresetAdapter(const AM_PresetAdapter&) = delete;
    AM_PresetAdapter& operator=(const AM_PresetAdapter&) = delete;

    // Gets the module name of a "#cm" line (capacity bytes, terminator
    // included) and may rewrite it in place; answers whether the keys of
    // that module must go through translateKey.
    virtual bool translateModule(char* moduleName, uint32_t capacity) = 0;
    // The key to look up for a key of the foreign text (a zero-terminated
    // text that stays valid until the next call).
    virtual const char* translateKey(const char* key) = 0;
    // Called once when a text read through the adapter is done.
    virtual void endImport() = 0;
    // False when parameters that the foreign text does not mention must keep
    // their values (instead of returning to their defaults).
    virtual bool resetsUnmentioned() = 0;
    // Called once before a text is read through the adapter.
    virtual void beginImport() = 0;

    const char* getProductName() const { return productName_; }

private:
    char productName_[kProductNameBytes] = {};
};
