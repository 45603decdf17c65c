// Window look-up by title on X11, for the launcher's single-instance test and its renderer watch.
// Top-level windows are the root's children and, under a window manager that frames them, the
// windows it manages; a look-up under a host window searches that window's children only. Through
// XCB, so that the requests for many windows go out together and their replies come back in one
// wait: a desktop with hundreds of windows costs a few round trips, not one per window. A window
// once found is remembered and watched (its destruction and title changes come as events): later
// look-ups of its title ask the server nothing while it stays.
#pragma once

#include <xcb/xcb.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace orveline {

class X11WindowTitles {
  public:
    // Connects to the display named by the environment; exists() is false when that fails.
    X11WindowTitles();
    ~X11WindowTitles();
    X11WindowTitles(const X11WindowTitles&) = delete;
    X11WindowTitles& operator=(const X11WindowTitles&) = delete;

    // True when a top-level window (with a host: a child window of the host) with exactly this
    // title (WM_NAME or _NET_WM_NAME) exists, hidden ones included.
    bool exists(const std::string& title, xcb_window_t host = XCB_WINDOW_NONE);

  private:
    xcb_window_t find(const std::string& title, xcb_window_t host);
    xcb_window_t firstTitled(const std::vector<xcb_window_t>& windows, const std::string& title);
    std::vector<xcb_window_t> childrenOf(const std::vector<xcb_window_t>& windows);
    bool titled(xcb_window_t window, const std::string& title);
    void forget(xcb_window_t window);
    void takeEvents();

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
    xcb_atom_t clientList_ = XCB_ATOM_NONE;
    xcb_atom_t wmCheck_ = XCB_ATOM_NONE;
    std::map<std::pair<xcb_window_t, std::string>, xcb_window_t> remembered_;  // (host, title)
    std::set<xcb_window_t> changed_;  // remembered windows gone or retitled since last looked at
};

}  // namespace orveline
