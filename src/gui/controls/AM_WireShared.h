#pragma once
// What the patch-wire sockets (AM_View_WireOut, AM_View_WireIn) share in
// the process: the messages they send each other, the style new sockets
// start with, the cord colour counter and the initial-colour seed, the
// flags of the cord gesture in progress, and the socket face both classes
// draw.
//
// GUI thread only.

#include <cstdint>

class AM_Colour;
class AM_Context;
class AM_ViewControl;
class AM_ViewMan;

// Messages between sockets, sent with class mask 0 to every object.
enum AM_WireMessage : uint32_t {
    // Count: arg 99 counts every target, otherwise the targets of the
    // sending source count themselves; data: an int32_t counter.
    kWireMsgCount = 60,
    // The wire list is built: arg its entry count, data its entries.
    kWireMsgRegister = 61,
    // The sending source's cords move to the source named by data (null:
    // they disconnect).
    kWireMsgSourceMoved = 62,
    // The cords chained on the sending target now hang from data (a target,
    // or null).
    kWireMsgCordRehung = 63,
    // Every socket takes the wire style in arg.
    kWireMsgStyle = 68,
};

// The UI preference that keeps the wire style (its value is the style's
// menu text).
inline constexpr char kWirePrefType[] = "Wire In";
inline constexpr char kWirePrefProperty[] = "Wire Style";
constexpr uint32_t kWirePrefId = 1;
constexpr uint32_t kWirePrefScope = 1;

// Source sockets are named this prefix followed by a value name.
inline constexpr char kWireSourcePrefix[] = "Wire@";
constexpr int kWireSourcePrefixLength = 5;

class AM_WireShared {
public:
    // The style every new socket starts with (0..4).
    static int32_t style();
    static void setStyle(int32_t style);

    // Advances the cord colour counter and answers the colour "WireC1" ..
    // "WireC6" it names; null when the GUI defines no such colour.
    static AM_Colour* nextCordColour(AM_ViewMan* viewMan);
    // A new target socket's first cord colour: the seed steps to
    // (seed >> 4) + 1 and names "WireC" (seed mod 6) + 1; null when the GUI
    // defines no such colour.
    static AM_Colour* initialCordColour(AM_ViewMan* viewMan);
    // Starts the initial-colour seed at a value (tests); otherwise it starts
    // at kDefaultSeed.
    static void seedColours(int32_t seed);
    static constexpr int32_t kDefaultSeed = 0x2E5BF271;
    static constexpr int32_t kCordColours = 6;

    // The cord gesture in progress: a cord is being dragged, a second cord
    // is being cloned out of a connected target's source, the dragged cord
    // is a new one.
    static bool dragInProgress;
    static bool cloning;
    static bool newCord;

    // Everything back to its first state (tests).
    static void reset();

    // The face of a socket: graphic slot 0 over the bounds; colour slot 0
    // fills the bounds and colour slot 1 frames them when set. A socket with
    // none of the three draws a plain jack of its own.
    static void drawSocket(const AM_ViewControl* socket, AM_Context* context);
    // A socket's cord colour slot takes the colour (GUI colours by name)
    // without handing it to the socket's clones: every cord keeps a colour
    // of its own.
    static void setCordColour(AM_ViewControl* socket, int32_t slot, AM_Colour* colour);
    // The centre of a control's bounds.
    static void centreOf(const AM_ViewControl* control, float centre[2]);
    // Invalidates the bounding box of count points grown by the cord margin.
    static void invalidatePoints(AM_ViewMan* viewMan, const float* points, int count);
    // Invalidates the box of the straight line a..b grown by the margin.
    static void invalidateLine(AM_ViewMan* viewMan, const float a[2], const float b[2]);
    // The socket under the point: the control there, or the control that
    // holds it (a name label); null when neither is a socket.
    static AM_ViewControl* socketAt(AM_ViewMan* viewMan, const float* point);
};
