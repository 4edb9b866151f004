#include "gui/views/AM_ViewControl_ParameterUndo.h"

#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstring>

AM_ViewControl_ParameterUndo::AM_ViewControl_ParameterUndo(AM_ViewMan* viewMan, const char* name,
                                                           const AM_ParamInfo* parameter,
                                                           AM_ViewControl* control)
    : AM_UndoObject(name), viewMan_(viewMan), parameter_(parameter), control_(control)
{
    if (isBlockKind()) {
        oldBlock_.assign(blockSize(), 0);
        hasOld_ = readBlock(&oldBlock_);
    } else if (isWordKind()) {
        hasOld_ = readWord(&oldWord_);
    }
}

bool AM_ViewControl_ParameterUndo::recordsKind(uint32_t kind)
{
    return kind == k_kindInteger || kind == k_kindFloat || kind == k_kindXYAxis ||
           kind == k_kindData || kind == k_kindAssignment;
}

bool AM_ViewControl_ParameterUndo::isWordKind() const
{
    if (parameter_ == nullptr) {
        return false;
    }
    const uint32_t kind = parameter_->kind();
    return kind == k_kindInteger || kind == k_kindFloat || kind == k_kindXYAxis ||
           kind == k_kindAssignment;
}

bool AM_ViewControl_ParameterUndo::isBlockKind() const
{
    return parameter_ != nullptr && parameter_->kind() == k_kindData;
}

size_t AM_ViewControl_ParameterUndo::blockSize() const
{
    const float size = parameter_->max;
    return std::isfinite(size) && size >= 1.0f ? static_cast<size_t>(size) : 0;
}

bool AM_ViewControl_ParameterUndo::readWord(uint32_t* word) const
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const void* value = host != nullptr
                            ? host->getParameterValue(static_cast<int32_t>(parameter_->index))
                            : nullptr;
    if (value == nullptr) {
        return false;
    }
    std::memcpy(word, value, sizeof *word);
    return true;
}

bool AM_ViewControl_ParameterUndo::readBlock(std::vector<uint8_t>* block) const
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const void* value = host != nullptr
                            ? host->getParameterValue(static_cast<int32_t>(parameter_->index))
                            : nullptr;
    if (value == nullptr || block->empty()) {
        return false;
    }
    std::memcpy(block->data(), value, block->size());
    return true;
}

bool AM_ViewControl_ParameterUndo::commit()
{
    if (isBlockKind()) {
        std::vector<uint8_t> current(blockSize(), 0);
        if (current.empty() || !readBlock(&current) || !hasOld_ || current == oldBlock_) {
            return false;
        }
        newBlock_ = std::move(current);
        return true;
    }
    if (isWordKind()) {
        if (!readWord(&newWord_) || !hasOld_) {
            return false;
        }
        hasNew_ = true;
        float before = 0.0f;
        float after = 0.0f;
        std::memcpy(&before, &oldWord_, sizeof before);
        std::memcpy(&after, &newWord_, sizeof after);
        return before != after;
    }
    return true;
}

void AM_ViewControl_ParameterUndo::write(uint32_t word, const std::vector<uint8_t>& block)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr || parameter_ == nullptr) {
        return;
    }
    const auto index = static_cast<int32_t>(parameter_->index);
    if (isBlockKind()) {
        if (block.empty()) {
            return;
        }
        host->setParameterValue(index, block.data());
    } else if (isWordKind()) {
        host->setParameterValue(index, &word);
    } else {
        return;
    }
    if (control_ != nullptr && !control_->isVisible()) {
        if (AM_ViewControl* parent = control_->getParentControl()) {
            parent->receiveMessage(control_, kCtlMsgBringIntoView, 0, nullptr);
        }
    }
}

void AM_ViewControl_ParameterUndo::undo()
{
    if (hasOld_) {
        write(oldWord_, oldBlock_);
    }
}

void AM_ViewControl_ParameterUndo::redo()
{
    if (hasNew_ || !newBlock_.empty()) {
        write(newWord_, newBlock_);
    }
}

void AM_ViewControl_ParameterUndo::forgetControl(AM_ViewControl* control)
{
    if (control_ == control) {
        control_ = nullptr;
    }
}

size_t AM_ViewControl_ParameterUndo::memoryBytes() const
{
    return sizeof(*this) + oldBlock_.capacity() + newBlock_.capacity();
}
