// The X11 title look-up on the display of the environment (skipped without one). A window that
// goes just after its title was read must be seen gone: the test destroys it from another
// connection right after the watch's title read, by wrapping (ld --wrap) the XCB calls the
// look-up makes, and waits until its DestroyNotify has reached the look-up's connection.
// NOTE: gtest before Xlib, whose macros (None, Bool) break it.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <poll.h>

#include "x11_window_titles.h"

namespace {

Display* other = nullptr;
Window going = 0;
bool armed = false;
bool destroyAfterReply = false;

}  // namespace

extern "C" {
xcb_void_cookie_t __real_xcb_change_window_attributes(xcb_connection_t*, xcb_window_t, uint32_t,
                                                      const void*);
xcb_get_property_reply_t* __real_xcb_get_property_reply(xcb_connection_t*,
                                                        xcb_get_property_cookie_t,
                                                        xcb_generic_error_t**);

// The watch of the window: the next property reply is its title read.
xcb_void_cookie_t __wrap_xcb_change_window_attributes(xcb_connection_t* c, xcb_window_t window,
                                                      uint32_t mask, const void* values) {
    if (armed && window == going) destroyAfterReply = true;
    return __real_xcb_change_window_attributes(c, window, mask, values);
}

xcb_get_property_reply_t* __wrap_xcb_get_property_reply(xcb_connection_t* c,
                                                        xcb_get_property_cookie_t cookie,
                                                        xcb_generic_error_t** error) {
    xcb_get_property_reply_t* reply = __real_xcb_get_property_reply(c, cookie, error);
    if (destroyAfterReply) {
        destroyAfterReply = armed = false;
        XDestroyWindow(other, going);
        XSync(other, False);
        pollfd events{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&events, 1, 1000);
    }
    return reply;
}
}

namespace orveline {
namespace {

TEST(X11WindowTitles, SeesAWindowGoJustAfterItsTitleWasReadAndLooksUnderAHost) {
    other = XOpenDisplay(nullptr);
    if (!other) GTEST_SKIP() << "no X display";
    const Window root = DefaultRootWindow(other);
    going = XCreateSimpleWindow(other, root, 0, 0, 10, 10, 0, 0, 0);
    XStoreName(other, going, "OrvelineTitlesTest");
    const Window host = XCreateSimpleWindow(other, root, 0, 0, 10, 10, 0, 0, 0);
    const Window child = XCreateSimpleWindow(other, host, 0, 0, 10, 10, 0, 0, 0);
    XStoreName(other, child, "OrvelineTitlesChild");
    XSync(other, False);

    X11WindowTitles titles;
    armed = true;
    EXPECT_TRUE(titles.exists("OrvelineTitlesTest"));
    EXPECT_FALSE(armed) << "the window was not destroyed during the look-up";
    EXPECT_FALSE(titles.exists("OrvelineTitlesTest"));

    EXPECT_TRUE(titles.exists("OrvelineTitlesChild", host));
    EXPECT_FALSE(titles.exists("OrvelineTitlesChild", going));
    XDestroyWindow(other, child);
    XSync(other, False);
    EXPECT_FALSE(titles.exists("OrvelineTitlesChild", host));
    XCloseDisplay(other);
}

}  // namespace
}  // namespace orveline
