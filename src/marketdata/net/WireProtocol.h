#pragma once
// The framing of protocol/Wire.h applied to a connection's input buffer.

#include <cstdint>

#include "protocol/Wire.h"

class CBuffer;
struct evbuffer;

namespace wire {

// Takes the next whole message off the input. The header stays buffered until its body
// has arrived. A body of length 0 is a message like any other.
FrameResult TakeMessage(evbuffer* input, CDataHead& head, CBuffer& body,
                        uint32_t maxBody = kMaxBodyLength);

}  // namespace wire
