// The idle watcher's source on X11 without a desktop idle monitor: the MIT-SCREEN-SAVER
// extension's idle time, which the watcher polls (only when the time could be up). Programs that
// hold idleness off on X11 reset the server's screen saver, which resets this time too. Also tells
// whether XScreenSaver runs, which starts savers itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "x11_support.h"

namespace orveline {

class X11IdleSource {
  public:
    // The display named by DISPLAY, with the extension; otherwise nothing, and error says why.
    static std::unique_ptr<X11IdleSource> Connect(std::string& error);
    explicit X11IdleSource(DisplayHandle display);
    ~X11IdleSource();
    X11IdleSource(const X11IdleSource&) = delete;
    X11IdleSource& operator=(const X11IdleSource&) = delete;

    // XScreenSaver's daemon marks a window of its own, a child of the root, with its version.
    bool xscreensaverRunning();
    // Milliseconds since the last input on the display; negative when the server does not say.
    std::int64_t idleTimeMs();
    int fd() const;
    // Handles what the server sent; false once the connection is gone.
    bool dispatch();

  private:
    DisplayHandle display_;
    bool lost_ = false;
};

}  // namespace orveline
