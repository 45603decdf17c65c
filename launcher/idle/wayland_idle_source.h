// The idle watcher's source on a Wayland desktop: ext_idle_notifier_v1 where the compositor offers
// it (KDE Plasma, sway 1.8 and later), else KDE's org_kde_kwin_idle (sway 1.7). Both honour the
// compositor's idle inhibitors. Pairs with the watcher's loop, which polls fd() and calls
// dispatch(); GNOME offers neither protocol (qt_mutter_idle_source.h serves it).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace orveline {

class WaylandIdleSource {
  public:
    // Connects to $WAYLAND_DISPLAY and asks for notifications after timeoutMs without input.
    // Nothing when there is no display or it offers neither protocol.
    static std::unique_ptr<WaylandIdleSource> Connect(std::uint32_t timeoutMs,
                                                      std::function<void()> onIdle,
                                                      std::function<void()> onActive);
    ~WaylandIdleSource();
    WaylandIdleSource(const WaylandIdleSource&) = delete;
    WaylandIdleSource& operator=(const WaylandIdleSource&) = delete;

    const char* protocolName() const;
    int fd() const;
    // Reads and handles what the compositor sent; false once the display is gone.
    bool dispatch();

    struct State;
    explicit WaylandIdleSource(std::unique_ptr<State> state);

  private:
    std::unique_ptr<State> state_;
};

}  // namespace orveline
