// Ownership of Wayland proxies for the Wayland renderer's files: each object with the request
// that destroys it.
#pragma once

#include <wayland-client.h>

#include <memory>

namespace orveline {

template <typename T, void (*Destroy)(T*)>
struct ProxyDeleter {
    void operator()(T* object) const { Destroy(object); }
};
template <typename T, void (*Destroy)(T*)>
using Owned = std::unique_ptr<T, ProxyDeleter<T, Destroy>>;

// Objects whose destructor request came with a later version than the one bound.
inline void releaseSeat(wl_seat* seat) {
    if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
        wl_seat_release(seat);
    else
        wl_seat_destroy(seat);
}
inline void releaseKeyboard(wl_keyboard* keyboard) {
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
        wl_keyboard_release(keyboard);
    else
        wl_keyboard_destroy(keyboard);
}
inline void releasePointer(wl_pointer* pointer) {
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(pointer);
    else
        wl_pointer_destroy(pointer);
}
inline void releaseOutput(wl_output* output) {
    if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output);
    else
        wl_output_destroy(output);
}

// The generated destructors are static: members of classes in headers need functions of their own.
inline void destroyRegistry(wl_registry* registry) {
    wl_registry_destroy(registry);
}
inline void destroyCompositor(wl_compositor* compositor) {
    wl_compositor_destroy(compositor);
}
inline void destroySurface(wl_surface* surface) {
    wl_surface_destroy(surface);
}
inline void destroyCallback(wl_callback* callback) {
    wl_callback_destroy(callback);
}

using RegistryPtr = Owned<wl_registry, destroyRegistry>;
using CompositorPtr = Owned<wl_compositor, destroyCompositor>;
using SurfacePtr = Owned<wl_surface, destroySurface>;
using CallbackPtr = Owned<wl_callback, destroyCallback>;
using OutputPtr = Owned<wl_output, releaseOutput>;
using SeatPtr = Owned<wl_seat, releaseSeat>;
using KeyboardPtr = Owned<wl_keyboard, releaseKeyboard>;
using PointerPtr = Owned<wl_pointer, releasePointer>;

template <typename T>
T* bindGlobal(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
              std::uint32_t version) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, version));
}

}  // namespace orveline
