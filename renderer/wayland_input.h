// The Wayland renderer's input: the seat, its keyboard and pointer, whose events become the
// portable stages' messages (saver_stages.h), which decide about closing. The translation is
// functions of the event's values alone, so that no server is needed to reason about them.
//
// Known gaps: one seat only; pointer positions are per output (the compositor's layout is not
// asked for), so a move from one output onto another counts as more than 4 pixels.
#pragma once

#include <cstdint>
#include <optional>

#include "saver_stages.h"
#include "wayland_proxies.h"

namespace orveline {

// wl_keyboard.key: a press is a key-down; releases and repeats' ends are nothing.
std::optional<WindowMessage> keyMessage(std::uint32_t state);
// wl_pointer.button: the left, middle and right buttons' presses; other buttons (the side
// buttons) and releases are nothing, as on X11.
std::optional<WindowMessage> buttonMessage(std::uint32_t button, std::uint32_t state);
// wl_pointer.motion: a mouse move (the stages read the position from the platform).
WindowMessage motionMessage();

// What the seat tells the run, and asks of it.
class SeatSink {
  public:
    virtual void seatMessage(const WindowMessage& message) = 0;
    // Where the output of one of the run's surfaces begins; nothing for any other surface.
    virtual std::optional<CursorPosition> surfaceOrigin(wl_surface* surface) = 0;
    // The pointer came onto one of the run's surfaces, at this position.
    virtual void pointerEntered(CursorPosition position) = 0;

  protected:
    ~SeatSink() = default;
};

class WaylandSeat {
  public:
    explicit WaylandSeat(SeatSink& sink) : sink_(sink) {}
    WaylandSeat(const WaylandSeat&) = delete;
    WaylandSeat& operator=(const WaylandSeat&) = delete;

    // Binds the first seat; false for any other global.
    bool addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version);
    void removeGlobal(std::uint32_t name);
    CursorPosition position() const { return position_; }
    // An empty cursor image for as long as the pointer is over one of the run's surfaces.
    void hideCursor();

  private:
    friend struct SeatEvents;
    void capabilities(std::uint32_t capabilities);
    void pointerEntered(std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    void pointerLeft(wl_surface* surface);
    void pointerMoved(wl_fixed_t x, wl_fixed_t y);
    bool updatePosition(wl_fixed_t x, wl_fixed_t y);

    SeatSink& sink_;
    // The seat before its devices: they go first.
    SeatPtr seat_;
    std::uint32_t seatName_ = 0;
    KeyboardPtr keyboard_;
    PointerPtr pointer_;
    wl_surface* over_ = nullptr;  // the run's surface under the pointer
    std::uint32_t enterSerial_ = 0;
    CursorPosition position_;
};

}  // namespace orveline
