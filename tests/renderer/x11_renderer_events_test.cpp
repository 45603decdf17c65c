// gtest first: Xlib's None macro would clash with a name of gtest's.
#include <gtest/gtest.h>
// clang-format off
#include "x11_renderer_events.h"
#include <X11/extensions/Xrandr.h>
// clang-format on

namespace orveline {
namespace {

constexpr Window kOurs = 0x400001, kHost = 0x200005, kOther = 0x600001;
constexpr int kRandr = 89;

XEvent event(int type, Window window) {
    XEvent e{};
    e.type = type;
    e.xany.window = window;
    if (type == ConfigureNotify) e.xconfigure.window = window;
    return e;
}

XEvent focusOut(int mode, int detail) {
    XEvent e = event(FocusOut, kOurs);
    e.xfocus.mode = mode;
    e.xfocus.detail = detail;
    return e;
}

TEST(X11Events, FullScreenInputBecomesTheStagesMessages) {
    const X11EventContext full{kOurs, None, kRandr};
    XEvent key = event(KeyPress, kOurs);
    EXPECT_EQ(translateEvent(key, full).message->kind, MessageKind::KeyDown);
    key.xkey.state = Mod1Mask;
    EXPECT_EQ(translateEvent(key, full).message->kind, MessageKind::SysKeyDown);
    XEvent button = event(ButtonPress, kOurs);
    button.xbutton.button = Button3;
    EXPECT_EQ(translateEvent(button, full).message->kind, MessageKind::RButtonDown);
    button.xbutton.button = Button4;  // a wheel step
    EXPECT_FALSE(translateEvent(button, full).message);
    EXPECT_EQ(translateEvent(event(MotionNotify, kOurs), full).message->kind,
              MessageKind::MouseMove);
    const X11Translation mapped = translateEvent(event(MapNotify, kOurs), full);
    EXPECT_EQ(mapped.message->kind, MessageKind::ShowWindow);
    EXPECT_EQ(mapped.action, X11Action::GrabInput);
    EXPECT_FALSE(translateEvent(event(KeyPress, kOther), full).message);
}

TEST(X11Events, OnlyFocusThatMayHaveGoneToAnotherClientIsChecked) {
    const X11EventContext full{kOurs, None, kRandr};
    EXPECT_EQ(translateEvent(focusOut(NotifyNormal, NotifyNonlinear), full).action,
              X11Action::CheckFocus);
    // Xwayland's noise under our own grab.
    EXPECT_EQ(translateEvent(focusOut(NotifyWhileGrabbed, NotifyNonlinear), full).action,
              X11Action::CheckFocus);
    for (const XEvent& e :
         {focusOut(NotifyGrab, NotifyNonlinear), focusOut(NotifyUngrab, NotifyNonlinear),
          focusOut(NotifyNormal, NotifyInferior), focusOut(NotifyNormal, NotifyPointer)}) {
        const X11Translation t = translateEvent(e, full);
        EXPECT_FALSE(t.message);
        EXPECT_EQ(t.action, X11Action::Nothing);
    }
}

TEST(X11Events, HostedRunsFollowTheHostAndIgnoreInput) {
    const X11EventContext hosted{kOurs, kHost, kRandr};
    EXPECT_EQ(translateEvent(event(ConfigureNotify, kHost), hosted).action, X11Action::FollowHost);
    EXPECT_EQ(translateEvent(event(ConfigureNotify, kOurs), hosted).action, X11Action::ResizeView);
    XEvent gone = event(DestroyNotify, kHost);
    gone.xdestroywindow.window = kHost;
    EXPECT_EQ(translateEvent(gone, hosted).action, X11Action::EndRun);
    EXPECT_FALSE(translateEvent(event(KeyPress, kOurs), hosted).message);
    // Monitors are the daemon's business: it starts a copy per monitor.
    EXPECT_EQ(translateEvent(event(kRandr + RRScreenChangeNotify, None), hosted).action,
              X11Action::Nothing);
    const X11EventContext full{kOurs, None, kRandr};
    EXPECT_EQ(translateEvent(event(kRandr + RRScreenChangeNotify, None), full).action,
              X11Action::MonitorsChanged);
    EXPECT_EQ(translateEvent(event(kRandr + RRNotify, None), full).action,
              X11Action::MonitorsChanged);
}

TEST(X11Events, SentEventsCountOnlyAsInput) {
    const X11EventContext full{kOurs, None, kRandr};
    const X11EventContext hosted{kOurs, kHost, kRandr};
    const auto sent = [](XEvent e) {
        e.xany.send_event = True;
        return e;
    };
    XEvent gone = event(DestroyNotify, kOurs);
    gone.xdestroywindow.window = kOurs;
    const struct {
        XEvent event;
        const X11EventContext& context;
    } ignored[] = {
        {sent(event(ConfigureNotify, kOurs)), full},
        {sent(event(ConfigureNotify, kHost)), hosted},
        {sent(gone), full},
        {sent(event(MapNotify, kOurs)), full},
        {sent(event(UnmapNotify, kOurs)), full},
        {sent(focusOut(NotifyNormal, NotifyNonlinear)), full},
        {sent(event(kRandr + RRScreenChangeNotify, None)), full},
    };
    for (const auto& c : ignored) {
        const X11Translation t = translateEvent(c.event, c.context);
        EXPECT_FALSE(t.message) << c.event.type;
        EXPECT_EQ(t.action, X11Action::Nothing) << c.event.type;
    }
    // Input from a test tool, or from any client, works as today.
    EXPECT_EQ(translateEvent(sent(event(KeyPress, kOurs)), full).message->kind,
              MessageKind::KeyDown);
    EXPECT_EQ(translateEvent(sent(event(MotionNotify, kOurs)), full).message->kind,
              MessageKind::MouseMove);
}

}  // namespace
}  // namespace orveline
