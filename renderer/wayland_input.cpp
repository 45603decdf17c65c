#include "wayland_input.h"

#include <linux/input-event-codes.h>
#include <wayland-client-protocol.h>

namespace orveline {

namespace {

WindowMessage message(MessageKind kind) {
    WindowMessage m;
    m.kind = kind;
    return m;
}

}  // namespace

std::optional<WindowMessage> keyMessage(std::uint32_t state) {
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return std::nullopt;
    return message(MessageKind::KeyDown);
}

std::optional<WindowMessage> buttonMessage(std::uint32_t button, std::uint32_t state) {
    if (state != WL_POINTER_BUTTON_STATE_PRESSED) return std::nullopt;
    switch (button) {
        case BTN_LEFT:
            return message(MessageKind::LButtonDown);
        case BTN_MIDDLE:
            return message(MessageKind::MButtonDown);
        case BTN_RIGHT:
            return message(MessageKind::RButtonDown);
        default:
            return std::nullopt;
    }
}

WindowMessage motionMessage() {
    return message(MessageKind::MouseMove);
}

}  // namespace orveline
