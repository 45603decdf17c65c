// Window messages of the renderer window, as the portable stages see them.
#pragma once

#include <windows.h>

#include "saver_stages.h"

namespace orveline {

// The native message, kept for the default window procedure.
struct NativeMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The stages' view of a message; its native pointer refers to the given message.
WindowMessage translateMessage(const NativeMessage& native);

}  // namespace orveline
