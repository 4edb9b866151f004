#pragma once
// The undo step of a parameter gesture ("Change Parameter", "Wheel
// Parameter"): the value before and after the gesture, as the engine keeps
// it. Values of integer, continuous, axis and assignment parameters are one
// 32-bit word; a byte block is kept whole (its size is the parameter's
// maximum). Meters and other kinds keep nothing.
//
// Undo and redo write the value back through the view manager's interface;
// when the control that made the change is hidden, its parent is asked
// (message 67) to bring it into view.
//
// GUI thread only.

#include "gui/views/AM_UndoObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class AM_ViewMan;
struct AM_ParamInfo;

class AM_ViewControl_ParameterUndo : public AM_UndoObject {
public:
    // Takes the parameter's current value as the old value.
    AM_ViewControl_ParameterUndo(AM_ViewMan* viewMan, const char* name,
                                 const AM_ParamInfo* parameter, AM_ViewControl* control);

    // The current value becomes the new value: true when it differs from
    // the old one (as floats for a word; byte by byte for a block, where an
    // empty block never differs). Kinds that keep nothing answer true.
    bool commit() override;
    void undo() override;
    void redo() override;
    void forgetControl(AM_ViewControl* control) override;
    size_t memoryBytes() const override;

    // Whether the parameter's kind is one this step records (0, 1, 2, 4, 5).
    static bool recordsKind(uint32_t kind);

    uint32_t getOldWord() const { return oldWord_; }
    uint32_t getNewWord() const { return newWord_; }
    const std::vector<uint8_t>& getOldBlock() const { return oldBlock_; }
    const std::vector<uint8_t>& getNewBlock() const { return newBlock_; }

private:
    bool isWordKind() const;
    bool isBlockKind() const;
    // The block size of the parameter (its maximum as a whole number; 0
    // when below 1).
    size_t blockSize() const;
    // Copies the current value into a word / a block; false when the
    // engine has none.
    bool readWord(uint32_t* word) const;
    bool readBlock(std::vector<uint8_t>* block) const;
    void write(uint32_t word, const std::vector<uint8_t>& block);

    AM_ViewMan* viewMan_;
    const AM_ParamInfo* parameter_;
    AM_ViewControl* control_;
    uint32_t oldWord_ = 0;
    uint32_t newWord_ = 0;
    bool hasOld_ = false;
    bool hasNew_ = false;
    std::vector<uint8_t> oldBlock_;
    std::vector<uint8_t> newBlock_;
};
