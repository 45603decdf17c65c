#include "x11_renderer_events.h"

#include <X11/extensions/Xrandr.h>

namespace orveline {
namespace {

X11Translation message(MessageKind kind, bool flag = false) {
    X11Translation t;
    t.message = WindowMessage{};
    t.message->kind = kind;
    t.message->flag = flag;
    return t;
}

X11Translation action(X11Action a) {
    X11Translation t;
    t.action = a;
    return t;
}

bool isRandrChange(int type, int base) {
    return base >= 0 && (type == base + RRScreenChangeNotify || type == base + RRNotify);
}

bool isInput(int type) {
    return type == KeyPress || type == ButtonPress || type == MotionNotify || type == EnterNotify;
}

}  // namespace

X11Translation translateEvent(const XEvent& event, const X11EventContext& context) {
    // Any client may send any event (XSendEvent): of those, only input is taken, as input sent
    // by a test tool is. Sizes, maps, ends, focus and monitors are the server's word alone.
    if (event.xany.send_event && !isInput(event.type)) return {};
    if (isRandrChange(event.type, context.randrEventBase) && context.host == None)
        return action(X11Action::MonitorsChanged);
    if (event.type == DestroyNotify &&
        (event.xdestroywindow.window == context.window ||
         (context.host != None && event.xdestroywindow.window == context.host)))
        return action(X11Action::EndRun);
    if (event.type == ConfigureNotify) {
        if (context.host != None && event.xconfigure.window == context.host)
            return action(X11Action::FollowHost);
        if (event.xconfigure.window == context.window) return action(X11Action::ResizeView);
        return {};
    }
    // Hosted: the daemon owns input; only sizes and ends matter.
    if (context.host != None || event.xany.window != context.window) return {};

    switch (event.type) {
        case KeyPress:
            return message((event.xkey.state & Mod1Mask) ? MessageKind::SysKeyDown
                                                         : MessageKind::KeyDown);
        case ButtonPress:
            // Wheel steps (4 to 7) and extra buttons do not end the saver.
            if (event.xbutton.button == Button1) return message(MessageKind::LButtonDown);
            if (event.xbutton.button == Button2) return message(MessageKind::MButtonDown);
            if (event.xbutton.button == Button3) return message(MessageKind::RButtonDown);
            return {};
        case MotionNotify:
            return message(MessageKind::MouseMove);
        case FocusOut:
            // NOTE: a grab taken or released, and moves inside the window, are no loss. Other
            // moves are checked against where the focus is now: Xwayland moves it to no window
            // "while grabbed" as noise, which must not end the run.
            if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab ||
                event.xfocus.detail == NotifyInferior || event.xfocus.detail == NotifyPointer)
                return {};
            return action(X11Action::CheckFocus);
        case UnmapNotify:
            return message(MessageKind::ActivateApp, false);
        case MapNotify: {
            X11Translation t = message(MessageKind::ShowWindow, true);
            t.action = X11Action::GrabInput;
            return t;
        }
        case EnterNotify:
            return message(MessageKind::SetCursor);
        default:
            return {};
    }
}

}  // namespace orveline
