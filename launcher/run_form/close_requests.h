// Close requests that reach the run form from outside its window: on Linux the termination
// signals (SIGTERM, SIGHUP, SIGINT), on Windows the end of the user's session. Each is turned
// into a call of onClose on the user-interface thread, as a close of the hidden window is.
#pragma once

#include <functional>
#include <memory>

namespace orveline {

class CloseRequests {
  public:
    virtual ~CloseRequests() = default;
};

// Watches for the platform's close requests for as long as the result lives.
std::unique_ptr<CloseRequests> watchCloseRequests(std::function<void()> onClose);

}  // namespace orveline
