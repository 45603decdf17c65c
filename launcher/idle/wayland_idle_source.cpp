// The Wayland idle source; see wayland_idle_source.h.
#include "wayland_idle_source.h"

#include <wayland-client.h>

#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace orveline {

namespace {

template <typename T, void (*Release)(T*)>
struct Releaser {
    void operator()(T* object) const {
        if (object) Release(object);
    }
};
template <typename T, void (*Release)(T*)>
using Owned = std::unique_ptr<T, Releaser<T, Release>>;

}  // namespace

struct WaylandIdleSource::State {
    std::function<void()> onIdle;
    std::function<void()> onActive;
    // Released in the reverse order: the notification, the globals, then the display.
    Owned<wl_display, wl_display_disconnect> display;
    Owned<wl_registry, wl_registry_destroy> registry;
    Owned<wl_seat, wl_seat_destroy> seat;
    Owned<ext_idle_notifier_v1, ext_idle_notifier_v1_destroy> notifier;
    Owned<org_kde_kwin_idle, org_kde_kwin_idle_destroy> kdeIdle;
    Owned<ext_idle_notification_v1, ext_idle_notification_v1_destroy> notification;
    Owned<org_kde_kwin_idle_timeout, org_kde_kwin_idle_timeout_release> kdeTimeout;
};

namespace {

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
    auto* state = static_cast<WaylandIdleSource::State*>(data);
    // Version 1 of each: later versions add nothing the watcher needs.
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !state->seat) {
        state->seat.reset(
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1)));
    } else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
        state->notifier.reset(static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1)));
    } else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
        state->kdeIdle.reset(static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1)));
    }
}

void globalRemove(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener{global, globalRemove};

void idled(void* data, ext_idle_notification_v1*) {
    static_cast<WaylandIdleSource::State*>(data)->onIdle();
}
void resumed(void* data, ext_idle_notification_v1*) {
    static_cast<WaylandIdleSource::State*>(data)->onActive();
}
constexpr ext_idle_notification_v1_listener kNotificationListener{idled, resumed};

void kdeIdled(void* data, org_kde_kwin_idle_timeout*) {
    static_cast<WaylandIdleSource::State*>(data)->onIdle();
}
void kdeResumed(void* data, org_kde_kwin_idle_timeout*) {
    static_cast<WaylandIdleSource::State*>(data)->onActive();
}
constexpr org_kde_kwin_idle_timeout_listener kTimeoutListener{kdeIdled, kdeResumed};

}  // namespace

std::unique_ptr<WaylandIdleSource> WaylandIdleSource::Connect(std::uint32_t timeoutMs,
                                                              std::function<void()> onIdle,
                                                              std::function<void()> onActive) {
    auto state = std::make_unique<State>();
    state->onIdle = std::move(onIdle);
    state->onActive = std::move(onActive);
    state->display.reset(wl_display_connect(nullptr));
    if (!state->display) return nullptr;
    state->registry.reset(wl_display_get_registry(state->display.get()));
    wl_registry_add_listener(state->registry.get(), &kRegistryListener, state.get());
    if (wl_display_roundtrip(state->display.get()) < 0 || !state->seat) return nullptr;
    if (state->notifier) {
        state->kdeIdle.reset();
        state->notification.reset(ext_idle_notifier_v1_get_idle_notification(
            state->notifier.get(), timeoutMs, state->seat.get()));
        ext_idle_notification_v1_add_listener(state->notification.get(), &kNotificationListener,
                                              state.get());
    } else if (state->kdeIdle) {
        state->kdeTimeout.reset(
            org_kde_kwin_idle_get_idle_timeout(state->kdeIdle.get(), state->seat.get(), timeoutMs));
        org_kde_kwin_idle_timeout_add_listener(state->kdeTimeout.get(), &kTimeoutListener,
                                               state.get());
    } else {
        return nullptr;
    }
    if (wl_display_roundtrip(state->display.get()) < 0) return nullptr;
    return std::make_unique<WaylandIdleSource>(std::move(state));
}

WaylandIdleSource::WaylandIdleSource(std::unique_ptr<State> state) : state_(std::move(state)) {}

WaylandIdleSource::~WaylandIdleSource() = default;

const char* WaylandIdleSource::protocolName() const {
    return state_->notification ? ext_idle_notifier_v1_interface.name
                                : org_kde_kwin_idle_interface.name;
}

int WaylandIdleSource::fd() const {
    return wl_display_get_fd(state_->display.get());
}

bool WaylandIdleSource::dispatch() {
    wl_display* display = state_->display.get();
    return wl_display_dispatch(display) >= 0 && wl_display_flush(display) >= 0;
}

}  // namespace orveline
