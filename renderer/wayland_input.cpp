#include "wayland_input.h"

#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client-protocol.h>

#include <algorithm>
#include <cstring>

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

// --- listeners: each passes its event on to the seat.

struct SeatEvents {
    static wl_seat_listener seat() {
        wl_seat_listener l{};
        l.capabilities = [](void* data, wl_seat*, std::uint32_t capabilities) {
            static_cast<WaylandSeat*>(data)->capabilities(capabilities);
        };
        l.name = [](void*, wl_seat*, const char*) {};
        return l;
    }
    static wl_keyboard_listener keyboard() {
        wl_keyboard_listener l{};
        l.keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
            if (fd >= 0) close(fd);  // any key ends the run: no keymap needed
        };
        l.enter = [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {};
        l.leave = [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {};
        l.key = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                   std::uint32_t state) {
            if (const auto message = keyMessage(state))
                static_cast<WaylandSeat*>(data)->sink_.seatMessage(*message);
        };
        l.modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                         std::uint32_t, std::uint32_t) {};
        l.repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {};
        return l;
    }
    static wl_pointer_listener pointer() {
        wl_pointer_listener l{};
        l.enter = [](void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface,
                     wl_fixed_t x, wl_fixed_t y) {
            static_cast<WaylandSeat*>(data)->pointerEntered(serial, surface, x, y);
        };
        l.leave = [](void* data, wl_pointer*, std::uint32_t, wl_surface* surface) {
            static_cast<WaylandSeat*>(data)->pointerLeft(surface);
        };
        l.motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
            static_cast<WaylandSeat*>(data)->pointerMoved(x, y);
        };
        l.button = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                      std::uint32_t state) {
            if (const auto message = buttonMessage(button, state))
                static_cast<WaylandSeat*>(data)->sink_.seatMessage(*message);
        };
        l.axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {};
        l.frame = [](void*, wl_pointer*) {};
        l.axis_source = [](void*, wl_pointer*, std::uint32_t) {};
        l.axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {};
        l.axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {};
        return l;
    }
};

namespace {

const wl_seat_listener seatListener = SeatEvents::seat();
const wl_keyboard_listener keyboardListener = SeatEvents::keyboard();
const wl_pointer_listener pointerListener = SeatEvents::pointer();

}  // namespace

bool WaylandSeat::addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                            std::uint32_t version) {
    if (std::strcmp(interface, wl_seat_interface.name) != 0) return false;
    if (seat_) return true;
    seat_.reset(bindGlobal<wl_seat>(registry, name, wl_seat_interface, std::min(version, 5u)));
    seatName_ = name;
    wl_seat_add_listener(seat_.get(), &seatListener, this);
    return true;
}

void WaylandSeat::removeGlobal(std::uint32_t name) {
    if (!seat_ || name != seatName_) return;
    keyboard_.reset();
    pointer_.reset();
    over_ = nullptr;
    seat_.reset();
}

void WaylandSeat::hideCursor() {
    if (pointer_ && over_ != nullptr)
        wl_pointer_set_cursor(pointer_.get(), enterSerial_, nullptr, 0, 0);
}

void WaylandSeat::capabilities(std::uint32_t capabilities) {
    // NOTE: devices come and go with the capabilities (a virtual keyboard is one), so the
    // keyboard and pointer objects follow them rather than being made once.
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (keyboard && !keyboard_) {
        keyboard_.reset(wl_seat_get_keyboard(seat_.get()));
        wl_keyboard_add_listener(keyboard_.get(), &keyboardListener, this);
    } else if (!keyboard) {
        keyboard_.reset();
    }
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (pointer && !pointer_) {
        pointer_.reset(wl_seat_get_pointer(seat_.get()));
        wl_pointer_add_listener(pointer_.get(), &pointerListener, this);
    } else if (!pointer) {
        over_ = nullptr;
        pointer_.reset();
    }
}

// The position in the compositor's layout, as far as it is known; false when the pointer is
// over none of the run's surfaces.
bool WaylandSeat::updatePosition(wl_fixed_t x, wl_fixed_t y) {
    const auto origin = over_ != nullptr ? sink_.surfaceOrigin(over_) : std::nullopt;
    if (!origin) return false;
    position_ = CursorPosition{origin->x + wl_fixed_to_int(x), origin->y + wl_fixed_to_int(y)};
    return true;
}

void WaylandSeat::pointerEntered(std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                                 wl_fixed_t y) {
    over_ = surface;
    if (!updatePosition(x, y)) {
        over_ = nullptr;
        return;
    }
    enterSerial_ = serial;
    sink_.pointerEntered(position_);
}

void WaylandSeat::pointerLeft(wl_surface* surface) {
    if (over_ == surface) over_ = nullptr;
}

void WaylandSeat::pointerMoved(wl_fixed_t x, wl_fixed_t y) {
    if (updatePosition(x, y)) sink_.seatMessage(motionMessage());
}

}  // namespace orveline
