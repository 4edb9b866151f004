#pragma once
// Message codes the GUI objects broadcast and answer among themselves
// (through their object host, AM_Object::sendMessage).

#include <cstdint>

enum AM_GuiMessage : uint32_t {
    // Save: every saveable object appends its script lines to the
    // std::string that comes as the message's data (the script being written).
    kGuiMsgSaveObjects = 19,
    kGuiMsgSaveProperties = 20,
    // Answers of colours and graphics to a reply request (message 13).
    kGuiMsgColourReply = 36,
    kGuiMsgGraphicReply = 37,
};
