// X11 events of the renderer's window as the portable stages' messages (saver_stages.h), plus
// what the X11 side itself must do about an event. A pure function of the event and of which
// windows are ours, so a test can feed it events without a server. Events another client sent
// (send_event) count only as input. Pairs with x11_renderer.cpp, which carries the actions out.
#pragma once

#include <X11/Xlib.h>

#include <optional>

#include "saver_stages.h"

namespace orveline {

enum class X11Action {
    Nothing,
    GrabInput,        // our window was mapped: take focus, keyboard and pointer
    FollowHost,       // the host window changed size: resize our child to it
    ResizeView,       // the server configured our window: take its size, the viewports follow
    MonitorsChanged,  // RandR: the screen or its monitors changed
    CheckFocus,       // focus left us: end only if another client really has it now
    EndRun,           // the host, or our own window, is gone
};

struct X11Translation {
    std::optional<WindowMessage> message;
    X11Action action = X11Action::Nothing;
};

struct X11EventContext {
    Window window = None;     // ours
    Window host = None;       // None: a full-screen run
    int randrEventBase = -1;  // -1: no RandR
};

X11Translation translateEvent(const XEvent& event, const X11EventContext& context);

}  // namespace orveline
