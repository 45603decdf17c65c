// The system's screen-saver password check, which exists only on the Windows 95 family.
#pragma once

#include <windows.h>

namespace orveline {

// Nonzero when the saver may close: at once on every platform but the Windows 95 family, and
// whenever the check's library or entry point is missing. While the system's dialog is showing,
// dialogUp is true, so that input handling and drawing pause.
int verifyPassword(HWND window, bool& dialogUp);

}  // namespace orveline
