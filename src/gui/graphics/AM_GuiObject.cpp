#include "gui/graphics/AM_GuiObject.h"

#include "foundation/AM_STD.h"

#include <cstring>

namespace {

// Bytes of the well-formed UTF-8 sequence at text (2 to 4), or 1 for an
// ASCII character or a byte that starts no well-formed sequence.
size_t sequenceLength(const unsigned char* text, size_t available)
{
    const unsigned char lead = text[0];
    const size_t length = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 1 || length > available)
        return 1;
    for (size_t i = 1; i < length; ++i)
        if ((text[i] & 0xC0) != 0x80)
            return 1;
    return length;
}

// Length of the longest start of text, at most limit bytes, that does not
// end inside a character.
size_t cutAtCharacter(const char* text, size_t length, size_t limit)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t kept = 0;
    while (kept < length) {
        const size_t next = kept + sequenceLength(bytes + kept, length - kept);
        if (next > limit)
            break;
        kept = next;
    }
    return kept;
}

} // namespace

AM_GuiObject::AM_GuiObject(AM_GuiServices* services)
    : services_(services), id_(services ? services->newObjectId() : 0)
{
    mask_ = kGuiObjectInitialMask;
}

AM_GuiObject::~AM_GuiObject()
{
    // Cut the list off before this node, so that nothing keeps pointing at
    // the nodes deleted here.
    if (parent_ != nullptr)
        parent_->lastChildHint_ = nullptr;
    if (previous_ != nullptr)
        previous_->next_ = nullptr;
    else if (parent_ != nullptr && parent_->firstChild_ == this)
        parent_->firstChild_ = nullptr;

    AM_GuiObject* child = firstChild_;
    firstChild_ = nullptr;
    if (child != nullptr) {
        child->parent_ = nullptr;
        delete child;
    }

    // The following siblings one at a time, so that a long list does not
    // deepen the stack.
    AM_GuiObject* sibling = next_;
    next_ = nullptr;
    while (sibling != nullptr) {
        AM_GuiObject* after = sibling->next_;
        sibling->next_ = nullptr;
        sibling->previous_ = nullptr;
        sibling->parent_ = nullptr;
        if (after != nullptr)
            after->previous_ = nullptr;
        delete sibling;
        sibling = after;
    }
}

void AM_GuiObject::setHost(AM_ObjectHost* host)
{
    for (AM_GuiObject* node = this; node != nullptr; node = node->next_) {
        if (node->host_ == host)
            return;
        node->AM_Object::setHost(host);
        if (node->firstChild_ != nullptr)
            node->firstChild_->setHost(host);
    }
}

const char* AM_GuiObject::getName() const
{
    return name_;
}

void AM_GuiObject::setName(const char* name)
{
    if (name == nullptr) {
        std::memset(name_, 0, sizeof name_);
        return;
    }
    const size_t length = std::strlen(name);
    const size_t kept = cutAtCharacter(name, length, kGuiNameBytes - 1);
    std::memset(name_, 0, sizeof name_);
    std::memcpy(name_, name, kept);
    if (kept < length)
        AM_STD::printv("GUI object name cut to %d bytes: %s", int(kGuiNameBytes - 1), name_);
}

AM_GuiObject* AM_GuiObject::findByName(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (AM_GuiObject* node = this; node != nullptr; node = node->next_) {
        if (std::strncmp(node->name_, name, kGuiNameBytes) == 0)
            return node;
        if (node->firstChild_ != nullptr) {
            if (AM_GuiObject* found = node->firstChild_->findByName(name))
                return found;
        }
    }
    return nullptr;
}

void AM_GuiObject::setMarks(bool marked, bool notSaveable, bool withSiblings)
{
    for (AM_GuiObject* node = this; node != nullptr; node = withSiblings ? node->next_ : nullptr) {
        node->mask_ = marked ? node->mask_ | kGuiMarkedBit : node->mask_ & ~kGuiMarkedBit;
        node->mask_ =
            notSaveable ? node->mask_ | kGuiNotSaveableBit : node->mask_ & ~kGuiNotSaveableBit;
        if (node->firstChild_ != nullptr)
            node->firstChild_->setMarks(marked, notSaveable, true);
    }
}

bool AM_GuiObject::isMarked() const
{
    return (mask_ & kGuiMarkedBit) != 0;
}

bool AM_GuiObject::isSaveable() const
{
    return (mask_ & kGuiNotSaveableBit) == 0;
}

uint32_t AM_GuiObject::getFlags() const
{
    return mask_;
}

void AM_GuiObject::appendSibling(AM_GuiObject* obj)
{
    if (obj == nullptr || obj == this)
        return;
    AM_GuiObject* last = this;
    while (last->next_ != nullptr)
        last = last->next_;
    if (obj == last)
        return;
    last->next_ = obj;
    obj->previous_ = last;
    obj->parent_ = last->parent_;
    if (last->host_ != nullptr)
        obj->setHost(last->host_);
}

void AM_GuiObject::addChild(AM_GuiObject* obj)
{
    if (obj == nullptr || obj == this)
        return;
    if (firstChild_ == nullptr) {
        firstChild_ = obj;
        obj->parent_ = this;
        lastChildHint_ = obj;
        if (host_ != nullptr)
            obj->setHost(host_);
        return;
    }
    AM_GuiObject* from =
        lastChildHint_ != nullptr && lastChildHint_->parent_ == this ? lastChildHint_ : firstChild_;
    from->appendSibling(obj);
    if (obj->parent_ == this)
        lastChildHint_ = obj;
}

void AM_GuiObject::unlink()
{
    if (parent_ != nullptr && parent_->lastChildHint_ == this)
        parent_->lastChildHint_ = previous_;
    if (previous_ != nullptr)
        previous_->next_ = next_;
    else if (parent_ != nullptr && parent_->firstChild_ == this)
        parent_->firstChild_ = next_;
    if (next_ != nullptr)
        next_->previous_ = previous_;
    previous_ = nullptr;
    next_ = nullptr;
    parent_ = nullptr;
}

void AM_GuiObject::insertAfter(AM_GuiObject* node)
{
    if (node == nullptr || node == this)
        return;
    unlink();
    previous_ = node;
    next_ = node->next_;
    parent_ = node->parent_;
    node->next_ = this;
    if (next_ != nullptr)
        next_->previous_ = this;
}

void AM_GuiObject::insertBefore(AM_GuiObject* node)
{
    if (node == nullptr || node == this)
        return;
    unlink();
    next_ = node;
    previous_ = node->previous_;
    parent_ = node->parent_;
    node->previous_ = this;
    if (previous_ != nullptr)
        previous_->next_ = this;
    else if (parent_ != nullptr && parent_->firstChild_ == node)
        parent_->firstChild_ = this;
}

void AM_GuiObject::moveToFirst()
{
    while (previous_ != nullptr) {
        AM_GuiObject* before = previous_;
        before->unlink();
        before->insertAfter(this);
    }
}

void AM_GuiObject::moveToLast()
{
    while (next_ != nullptr) {
        AM_GuiObject* after = next_;
        after->unlink();
        after->insertBefore(this);
    }
}
