// Window look-up by title on X11 through XCB; see x11_window_titles.h.
#include "x11_window_titles.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

namespace orveline {

namespace {

// XCB's replies and errors are malloc'ed.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// The reply to a request, or nothing when the server answered with an error (a window that went
// between two requests, say). Errors are taken here, so none waits in the connection.
template <typename T, typename Cookie, typename Get>
Reply<T> replyTo(xcb_connection_t* connection, Cookie cookie, Get get) {
    xcb_generic_error_t* error = nullptr;
    Reply<T> reply(get(connection, cookie, &error));
    std::free(error);
    return reply;
}

Reply<xcb_get_property_reply_t> propertyReply(xcb_connection_t* connection,
                                              xcb_get_property_cookie_t cookie) {
    return replyTo<xcb_get_property_reply_t>(connection, cookie, xcb_get_property_reply);
}

// A title property holds exactly these bytes (any type of 8-bit text, as the title calls write).
bool textIs(xcb_connection_t* connection, xcb_get_property_cookie_t cookie,
            const std::string& title) {
    const Reply<xcb_get_property_reply_t> reply = propertyReply(connection, cookie);
    return reply && reply->type != XCB_ATOM_NONE && reply->format == 8 && reply->bytes_after == 0 &&
           static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) == title.size() &&
           std::memcmp(xcb_get_property_value(reply.get()), title.data(), title.size()) == 0;
}

std::vector<xcb_window_t> windowsIn(xcb_connection_t* connection,
                                    xcb_get_property_cookie_t cookie) {
    const Reply<xcb_get_property_reply_t> reply = propertyReply(connection, cookie);
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32) return {};
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    return std::vector<xcb_window_t>(
        windows, windows + xcb_get_property_value_length(reply.get()) / sizeof(xcb_window_t));
}

constexpr std::uint32_t kTitleLength = 1024;  // in 32-bit units: titles up to 4 KiB
constexpr std::uint32_t kListLength = 1u << 20;

xcb_get_property_cookie_t askProperty(xcb_connection_t* connection, xcb_window_t window,
                                      xcb_atom_t property, xcb_atom_t type, std::uint32_t length) {
    return xcb_get_property(connection, 0, window, property, type, 0, length);
}

}  // namespace

X11WindowTitles::X11WindowTitles() {
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem > 0) root_ = screens.data->root;

    const auto intern = [this](const char* name) {
        return xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    };
    const xcb_intern_atom_cookie_t cookies[] = {intern("_NET_WM_NAME"), intern("_NET_CLIENT_LIST"),
                                                intern("_NET_SUPPORTING_WM_CHECK")};
    xcb_atom_t* atoms[] = {&netWmName_, &clientList_, &wmCheck_};
    for (int i = 0; i < 3; ++i) {
        const Reply<xcb_intern_atom_reply_t> reply =
            replyTo<xcb_intern_atom_reply_t>(connection_, cookies[i], xcb_intern_atom_reply);
        if (reply) *atoms[i] = reply->atom;
    }
}

X11WindowTitles::~X11WindowTitles() {
    if (connection_) xcb_disconnect(connection_);
}

bool X11WindowTitles::exists(const std::string& title, xcb_window_t host) {
    if (!connection_ || root_ == XCB_WINDOW_NONE || xcb_connection_has_error(connection_)) {
        return false;
    }
    takeEvents();
    const auto key = std::make_pair(host, title);
    const auto remembered = remembered_.find(key);
    if (remembered != remembered_.end()) {
        const xcb_window_t window = remembered->second;
        if (changed_.count(window) == 0) return true;
        forget(window);
        if (titled(window, title)) {
            remembered_[key] = window;
            return true;
        }
    }
    // A window found is watched from then on; its title is read once more after that, so that
    // no change between the search and the watch goes unseen.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const xcb_window_t window = find(title, host);
        if (window == XCB_WINDOW_NONE) return false;
        const std::uint32_t events =
            XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &events);
        // What arrived before the title is asked for happened before the server reads it: the
        // answer covers it. What comes later (the window's end just after the read, say) stays
        // noted for the next look-up.
        takeEvents();
        forget(window);
        if (titled(window, title)) {
            remembered_[key] = window;
            return true;
        }
    }
    return false;
}

void X11WindowTitles::forget(xcb_window_t window) {
    // Every look-up that found it finds it again: a change seen here may be one of theirs.
    changed_.erase(window);
    for (auto entry = remembered_.begin(); entry != remembered_.end();) {
        entry = entry->second == window ? remembered_.erase(entry) : std::next(entry);
    }
}

void X11WindowTitles::takeEvents() {
    // Reads what has arrived without waiting: no round trip.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        switch (event->response_type & 0x7F) {
            case 0:  // an error of a watch request: the window went before it was watched
                changed_.insert(reinterpret_cast<xcb_generic_error_t*>(event)->resource_id);
                break;
            case XCB_DESTROY_NOTIFY:
                changed_.insert(reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window);
                break;
            case XCB_PROPERTY_NOTIFY: {
                const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (change->atom == XCB_ATOM_WM_NAME || change->atom == netWmName_) {
                    changed_.insert(change->window);
                }
                break;
            }
            default:
                break;
        }
        std::free(event);
    }
}

bool X11WindowTitles::titled(xcb_window_t window, const std::string& title) {
    const xcb_get_property_cookie_t wmName =
        askProperty(connection_, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kTitleLength);
    const xcb_get_property_cookie_t netWmName =
        askProperty(connection_, window, netWmName_, XCB_GET_PROPERTY_TYPE_ANY, kTitleLength);
    const bool byWmName = textIs(connection_, wmName, title);
    const bool byNetWmName = textIs(connection_, netWmName, title);
    return byWmName || byNetWmName;
}

xcb_window_t X11WindowTitles::firstTitled(const std::vector<xcb_window_t>& windows,
                                          const std::string& title) {
    // The titles of a list of windows, all asked at once; the first window that has the title.
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size() * 2);
    for (const xcb_window_t window : windows) {
        cookies.push_back(askProperty(connection_, window, XCB_ATOM_WM_NAME,
                                      XCB_GET_PROPERTY_TYPE_ANY, kTitleLength));
        cookies.push_back(
            askProperty(connection_, window, netWmName_, XCB_GET_PROPERTY_TYPE_ANY, kTitleLength));
    }
    xcb_window_t found = XCB_WINDOW_NONE;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        if (found != XCB_WINDOW_NONE) {
            xcb_discard_reply(connection_, cookies[i].sequence);
        } else if (textIs(connection_, cookies[i], title)) {
            found = windows[i / 2];
        }
    }
    return found;
}

std::vector<xcb_window_t> X11WindowTitles::childrenOf(const std::vector<xcb_window_t>& windows) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows)
        cookies.push_back(xcb_query_tree(connection_, window));
    std::vector<xcb_window_t> children;
    for (const xcb_query_tree_cookie_t cookie : cookies) {
        const Reply<xcb_query_tree_reply_t> reply =
            replyTo<xcb_query_tree_reply_t>(connection_, cookie, xcb_query_tree_reply);
        if (!reply) continue;
        const xcb_window_t* first = xcb_query_tree_children(reply.get());
        children.insert(children.end(), first, first + xcb_query_tree_children_length(reply.get()));
    }
    return children;
}

xcb_window_t X11WindowTitles::find(const std::string& title, xcb_window_t host) {
    xcb_connection_t* const c = connection_;
    // Under a host: its own children (a host that has gone has none).
    if (host != XCB_WINDOW_NONE) return firstTitled(childrenOf({host}), title);

    // The root's children, the list of windows a window manager manages, and the window by which
    // a live window manager shows itself, in one wait.
    const xcb_query_tree_cookie_t treeCookie = xcb_query_tree(c, root_);
    const xcb_get_property_cookie_t listCookie =
        askProperty(c, root_, clientList_, XCB_ATOM_WINDOW, kListLength);
    const xcb_get_property_cookie_t checkCookie =
        askProperty(c, root_, wmCheck_, XCB_ATOM_WINDOW, 1);
    std::vector<xcb_window_t> topLevel;
    if (const Reply<xcb_query_tree_reply_t> tree =
            replyTo<xcb_query_tree_reply_t>(c, treeCookie, xcb_query_tree_reply)) {
        const xcb_window_t* first = xcb_query_tree_children(tree.get());
        topLevel.assign(first, first + xcb_query_tree_children_length(tree.get()));
    }
    const std::vector<xcb_window_t> managed = windowsIn(c, listCookie);
    const std::vector<xcb_window_t> check = windowsIn(c, checkCookie);

    // NOTE: a window manager that died leaves its list on the root; its check window, which names
    // itself while the manager runs, is gone then.
    bool listed = false;
    if (!check.empty()) {
        const std::vector<xcb_window_t> self =
            windowsIn(c, askProperty(c, check[0], wmCheck_, XCB_ATOM_WINDOW, 1));
        listed = !self.empty() && self[0] == check[0];
    }
    if (listed) {
        topLevel.insert(topLevel.end(), managed.begin(), managed.end());
        return firstTitled(topLevel, title);
    }

    // No list: a window manager's frames hold the windows it manages one or two levels down.
    std::vector<xcb_window_t> level = std::move(topLevel);
    for (int depth = 1;; ++depth) {
        const xcb_window_t found = firstTitled(level, title);
        if (found != XCB_WINDOW_NONE || depth == 3 || level.empty()) return found;
        level = childrenOf(level);
    }
}

}  // namespace orveline
