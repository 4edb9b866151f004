#pragma once
// The base of every object a view manager owns (colours, value-to-string
// objects, graphics, shapes, undo records, controls): a named node of a tree
// of siblings and children, with a number from its view manager and type and
// state bits in the message-class mask of AM_Object.
//
// A node owns its first child and every sibling that follows it: deleting a
// node deletes its whole subtree and the rest of its sibling list. To delete
// one node alone, unlink it first.
//
// GUI thread only.

#include "gui/graphics/AM_GuiServices.h"
#include "params/object/AM_Object.h"

#include <cstdint>

// Mask bits of GUI objects (they double as broadcast class masks).
enum AM_GuiObjectBits : uint32_t {
    kGuiObjectBit = 0x800,
    kGuiControlBit = 0x1000,
    kGuiGraphicBit = 0x2000,
    kGuiColourBit = 0x4000,
    kGuiMarkedBit = 0x80000,
    kGuiNotSaveableBit = 0x100000,
};
constexpr uint32_t kGuiObjectInitialMask = kGuiObjectBit | kGuiMarkedBit;

// Bytes of a name, the terminator included.
constexpr int kGuiNameBytes = 32;

class AM_GuiObject : public AM_Object {
public:
    // Mask 0x80800, no links, no host, an empty name; the id comes from
    // services (0 without one).
    explicit AM_GuiObject(AM_GuiServices* services);
    // Deletes the first child and every following sibling, then leaves the
    // host. A node still linked into a list cuts the list off before itself.
    ~AM_GuiObject() override;

    // When host differs from the current one: registers with it, then passes
    // it to the children and the following siblings. The same host does
    // nothing (and stops the walk along the siblings there).
    void setHost(AM_ObjectHost* host) override;

    virtual const char* getName() const;
    // Copies at most 31 bytes of name (cut before a character that would not
    // fit whole) and traces a name that was cut. Null clears the name.
    virtual void setName(const char* name);
    // This node when its name equals name (first 32 bytes), else the first
    // match in its children's subtree, else in its following siblings.
    virtual AM_GuiObject* findByName(const char* name);
    // Sets or clears the marked and not-saveable bits here and in the whole
    // subtree below; in the following siblings (and theirs) only when
    // withSiblings.
    virtual void setMarks(bool marked, bool notSaveable, bool withSiblings);
    virtual bool isMarked() const;
    virtual bool isSaveable() const;
    virtual uint32_t getFlags() const;
    // Appends obj at the end of this node's sibling list.
    virtual void appendSibling(AM_GuiObject* obj);
    // Appends obj at the end of this node's children; the node remembers
    // its last child, so a long list of children grows in constant time.
    virtual void addChild(AM_GuiObject* obj);

    // Takes the node out of its list; its children stay with it.
    void unlink();
    void insertAfter(AM_GuiObject* node);
    void insertBefore(AM_GuiObject* node);
    // Moves the node to the front (back) of its list; the others keep their
    // order.
    void moveToFirst();
    void moveToLast();

    uint32_t getId() const { return id_; }
    AM_GuiServices* getServices() const { return services_; }
    AM_GuiObject* getPrevious() const { return previous_; }
    AM_GuiObject* getNext() const { return next_; }
    AM_GuiObject* getParent() const { return parent_; }
    AM_GuiObject* getFirstChild() const { return firstChild_; }

protected:
    AM_GuiServices* services_;
    uint32_t id_;
    AM_GuiObject* previous_ = nullptr;
    AM_GuiObject* next_ = nullptr;
    AM_GuiObject* parent_ = nullptr;
    AM_GuiObject* firstChild_ = nullptr;
    // The child addChild appended last (null: not known). Cleared when that
    // child leaves the list; it may no longer be the last child when others
    // were linked in after it, so it is only a place to start looking from.
    AM_GuiObject* lastChildHint_ = nullptr;
    char name_[kGuiNameBytes] = {};
};
