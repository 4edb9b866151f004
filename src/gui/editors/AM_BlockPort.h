#pragma once
// Sending an editor's whole data block through one of its ports. The
// interface copies as many bytes as the bound parameter's size gives; a
// parameter larger than the editor's block takes the block's bytes and
// keeps the rest of its current value, so nothing is read past the block.
//
// GUI thread only.

#include <cstddef>
#include <cstdint>

class AM_ViewControl;

// The size in bytes of the parameter bound to the port (its maximum as a
// whole number); 0 when the port is unbound or the size is not a number.
size_t AM_portBlockSize(AM_ViewControl* control, int32_t port);

// Sends the block as the user's value of the port (the parameter, then the
// listeners and a redraw). An unbound port only shows it.
void AM_sendBlock(AM_ViewControl* control, int32_t port, const void* block, size_t bytes);
