#pragma once
// The on-screen piano keyboard: 61 keys from note 36. It shows the notes
// the engine reports as held (a 16-byte note map polled on the timer),
// marks the note a key-meter parameter names, and plays into the engine
// through a remote key and a remote velocity parameter: a click plays the
// key under the pointer (the higher the click, the louder), after releasing
// the key played before; a click on a sounding key releases it.
//
// Drawn from per-key graphics and three colours; with none of them set it
// draws keys of its own.
//
// GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_Keyboard : public AM_ViewControl {
public:
    static constexpr int32_t kKeyMeterPort = 0;
    static constexpr int32_t kVelocityMeterPort = 1;
    static constexpr int32_t kRemoteKeyPort = 2;
    static constexpr int32_t kRemoteVelocityPort = 3;
    static constexpr int32_t kKeyPressedPort = 4;
    static constexpr int32_t kNoteMapBytes = 16;
    // The note of the leftmost key.
    static constexpr int32_t kFirstNote = 36;

    AM_View_Keyboard(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Keyboard() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    // Each port's own field; the note map for the held-notes port.
    const void* getValuePointer(int32_t port) override;
    void setParameterValue(int32_t i, const void* value) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    // Plays or releases the key under the point; never keeps the press.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void boundsChanged() override;

    // The class's own edit-menu items: a separator and "vertical", which
    // does nothing.
    AM_ControlMenu buildEditItems() const;

    // The key under a point and the velocity (1..127) its height gives.
    struct Hit {
        int32_t note;
        int32_t velocity;
    };
    Hit keyAt(const float* point) const;
    bool isHeld(int32_t note) const;

    int32_t getKeyCount() const { return keyCount_; }
    int32_t getWhiteCount() const { return whiteCount_; }
    int32_t getBlackCount() const { return blackCount_; }
    int32_t getOctaveCount() const { return octaveCount_; }
    float getWhiteWidth() const { return whiteWidth_; }
    float getBlackWidth() const { return blackWidth_; }
    float getOctaveWidth() const { return octaveWidth_; }
    float getBlackLength() const { return blackLength_; }
    float getKeyEdge(int32_t i) const { return i >= 0 && i < 12 ? keyEdge_[i] : 0.0f; }
    float getKeyMeter() const { return keyMeter_; }
    float getVelocityMeter() const { return velocityMeter_; }
    float getRemoteKey() const { return remoteKey_; }
    float getRemoteVelocity() const { return remoteVelocity_; }
    // The highest note the keys reach.
    int32_t lastNote() const { return kFirstNote + keyCount_ - 1; }

private:
    bool portBound(int32_t i) const;
    float readMeter(int32_t port, float current) const;
    void userSets(int32_t port, float value);
    void drawOutlines(AM_Context* context);
    void drawGenerated(AM_Context* context);

    float keyMeter_ = 60.0f;
    float velocityMeter_ = 64.0f;
    float remoteKey_ = 0.0f;
    float remoteVelocity_ = 0.0f;
    int32_t keyCount_ = 61;
    float whiteWidth_ = 0.0f;
    float blackWidth_ = 0.0f;
    float octaveWidth_ = 0.0f;
    float keyEdge_[12] = {};
    int32_t whiteCount_ = 0;
    int32_t blackCount_ = 0;
    int32_t octaveCount_ = 0;
    float blackLength_ = 0.0f;
    uint8_t noteMap_[kNoteMapBytes] = {};
};
