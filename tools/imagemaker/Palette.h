#pragma once
// The surface's colours (0xRRGGBBAA), shared by the images; the GUI script's
// COLOUR lines use the same values for the flat parts.

#include <cstdint>

namespace imagemaker::palette {

constexpr uint32_t kPanel = 0x1C1F24FF;
constexpr uint32_t kSection = 0x2A2E35FF;
constexpr uint32_t kSectionEdge = 0x434A55FF;
constexpr uint32_t kAccent = 0xF2A541FF;
constexpr uint32_t kAccentDark = 0xB8731FFF;
constexpr uint32_t kGroove = 0x131519FF;
constexpr uint32_t kKnobRim = 0x0D0E11FF;
constexpr uint32_t kKnobTop = 0x5A616DFF;
constexpr uint32_t kKnobBottom = 0x2B2F36FF;
constexpr uint32_t kKnobFaceTop = 0x474D57FF;
constexpr uint32_t kKnobFaceBottom = 0x363B43FF;
constexpr uint32_t kPointer = 0xF4F6F8FF;
constexpr uint32_t kShadow = 0x00000070;
constexpr uint32_t kDisplayTop = 0x0D0F12FF;
constexpr uint32_t kDisplayBottom = 0x181B20FF;
constexpr uint32_t kDisplayEdge = 0x505866FF;
constexpr uint32_t kText = 0xD5DBE3FF;
constexpr uint32_t kLedOff = 0x3A2A14FF;
constexpr uint32_t kLedOn = 0xFFB443FF;
constexpr uint32_t kUndo = 0x6FC3FFFF;

} // namespace imagemaker::palette
