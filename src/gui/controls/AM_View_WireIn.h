#pragma once
// The target socket of the patch wires ("Wire In"). Port 0 "Wire Param" is
// bound to a list parameter; its value names the source socket the cord
// hangs from ("Wire@" + the value's name). The cord is drawn on the view
// manager's top layer. A cord can be picked up and dropped on another
// target or on nothing (disconnect), a second cord can be cloned out of the
// same source (Shift), and a new cord dragged out of an unconnected target
// can be chained onto another target: it is then drawn from that target
// (its proxy) while both hang from the same source.
//
// One target of a GUI may bind port 1 "WireSeqText" to a text parameter:
// it keeps the wire list, one entry (a three-character id) per target, and
// writes the chaining into that parameter as "A>B:" records, which it reads
// back after every script load.
//
// Colour slots: 0 "Ring", 1 "Inner", 2 "Outer", 3 "Wire" (the cord
// colour); graphic slot 0 "WirePlug".
//
// GUI thread only.

#include "gui/controls/AM_WireCord.h"
#include "gui/views/AM_ViewControl.h"

#include <array>
#include <cstdint>
#include <vector>

class AM_View_WireOut;

class AM_View_WireIn : public AM_ViewControl {
public:
    static constexpr int32_t kParamPort = 0;
    static constexpr int32_t kTextPort = 1;
    static constexpr int32_t kWireColourSlot = 3;
    // The pseudo-property that connects this target to the source socket
    // named by its value; never written to a script.
    static constexpr const char* kWireUpProperty = "WireUp!";
    static constexpr size_t kValueNameBytes = 32;
    // The most value names a target keeps (larger lists connect nothing).
    static constexpr int32_t kMaxValueNames = 1024;
    // The largest wire text kept.
    static constexpr int32_t kMaxWireText = 65536;
    // A wire id: three base-62 characters and a terminator.
    static constexpr size_t kWireIdBytes = 4;
    // An entry of the wire list.
    struct ListEntry {
        char id[8];
        AM_View_WireIn* wire;
    };
    // Menu codes of the run menu: a value (sub-index: its offset from the
    // minimum) and a style (sub-index: the style); of the edit menu: the
    // source clones (code 5, sub-index 1).
    static constexpr uint32_t kValueCode = 23;
    static constexpr uint32_t kStyleCode = 5;
    static constexpr uint32_t kCloneSourcesSub = 1;

    AM_View_WireIn(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void draw(AM_Context* context) override;
    void drawTopLayer(AM_Context* context, const AM_Rect* clip) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The base messages, then 48 (script loaded), 60, 61, 62, 63 and 68,
    // and the end of a socket this one refers to (18).
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    // Port 0 takes the value names of a list parameter; port 1 sizes the
    // wire text after the text parameter and starts the timer.
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    // Port 0: the source of the new value; port 1: the new wire text,
    // applied at the next tick.
    void setParameterValue(int32_t i, const void* value) override;
    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onTimer() override;
    void boundsChanged() override;
    // The base keys, and "WireUp!": the value is a source socket's name;
    // the value named after it becomes the parameter's value.
    void setProperty(const char* name, int32_t id, const char* value) override;

    // Adds one item per value name to the menu being built; answers the
    // index of the current value's item (0: none).
    uint32_t addValueMenuItems();
    // On the list keeper: writes the chaining of every listed target into
    // the wire text and sends it to port 1.
    void updateWireText(AM_View_WireIn* changed);
    // The target of the list entry with that id; null when none.
    AM_View_WireIn* findWire(const char* id) const;
    // On the list keeper: drops every chaining, then chains the targets the
    // wire text names (both with the same value).
    void applyWireText();
    void setWireColour(AM_Colour* colour);
    AM_Colour* getWireColour() const;
    void assignNextWireColour();
    // Places the cord between its source (or proxy) and this socket (with
    // recompute), or between start and end while it is dragged or has no
    // source; then invalidates the cord.
    void updateWireGeometry(bool recompute);
    // Invalidates the cord when it has a source.
    void invalidateWire();

    // --- State.

    AM_View_WireOut* getSource() const { return source_; }
    AM_View_WireIn* getProxy() const { return proxy_; }
    AM_View_WireIn* getListKeeper() const { return listKeeper_; }
    int32_t getValue() const { return value_; }
    int32_t getMinimum() const { return minimum_; }
    int32_t getMaximum() const { return maximum_; }
    int32_t getStyle() const { return style_; }
    const char* getWireId() const { return wireId_; }
    bool isSourcePending() const { return sourcePending_ != 0; }
    int getPointCount() const { return pointCount_; }
    const float* getPoints() const { return points_; }
    // The value name of value minimum + i (null outside the names).
    const char* getValueName(int32_t i) const;
    const std::vector<ListEntry>& getWireList() const { return wireList_; }
    // The wire text as kept (empty without a text port).
    const char* getWireText() const { return wireText_.empty() ? "" : wireText_.data(); }
    // Writes the wire id of a hash and a step into id (kWireIdBytes).
    static void formatWireId(uint32_t hash, char id[kWireIdBytes]);
    // The hash of this target's parameter and module names (0 unbound).
    uint32_t wireHash() const;

private:
    bool paramBound() const;
    // The source socket named "Wire@" + the value's name (bounded to a
    // name's length); null when there is none.
    AM_View_WireOut* findSourceFor(int32_t value) const;
    void setValueNumber(int32_t value);
    // Message 48: the wire list, the colour, the style and pending sources.
    void scriptLoaded();
    // Message 61: the id of this target written into the list.
    void registerInList(AM_Object* sender, uint32_t count, ListEntry* list);
    void cordRehung(AM_View_WireIn* sender, AM_View_WireIn* next);
    void cloneSources();
    void chooseStyle(int32_t style);
    bool idInList(const char* id, const ListEntry* list, uint32_t count) const;

    std::vector<std::array<char, kValueNameBytes>> valueNames_;
    int32_t minimum_ = 0;
    int32_t maximum_ = 0;
    int32_t defaultValue_ = 0;
    int32_t value_ = 0;
    int32_t style_ = 0;
    AM_View_WireOut* source_ = nullptr;
    AM_View_WireIn* proxy_ = nullptr;
    AM_View_WireIn* listKeeper_ = nullptr;
    float start_[2] = {0.0f, 0.0f};
    float end_[2] = {0.0f, 0.0f};
    float points_[2 * kWireRoomPoints] = {};
    char wireId_[kWireIdBytes] = {};
    int pointCount_ = 0;
    int32_t sourcePending_ = 0;
    bool beingDragged_ = false;
    std::vector<ListEntry> wireList_;
    std::vector<char> wireText_;
    bool wireTextPending_ = false;
};
