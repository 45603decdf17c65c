// The Wayland renderer's input translation: seat events become the portable stages' messages
// (saver_stages.h), which decide about closing. Functions of the event's values alone, so that
// no server is needed to reason about them.
#pragma once

#include <cstdint>
#include <optional>

#include "saver_stages.h"

namespace orveline {

// wl_keyboard.key: a press is a key-down; releases and repeats' ends are nothing.
std::optional<WindowMessage> keyMessage(std::uint32_t state);
// wl_pointer.button: the left, middle and right buttons' presses; other buttons (the side
// buttons) and releases are nothing, as on X11.
std::optional<WindowMessage> buttonMessage(std::uint32_t button, std::uint32_t state);
// wl_pointer.motion: a mouse move (the stages read the position from the platform).
WindowMessage motionMessage();

}  // namespace orveline
