// Entry of Orveline.scr on Windows: Main, then the message loop for as long as a form keeps the
// process alive.
#include <windows.h>

#include "launcher_state.h"
#include "veyra_b.h"
#include "win32_launcher_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    orveline::Win32LauncherPlatform platform;
    orveline::LauncherState state;
    orveline::Main(platform, state);
    return platform.runMessageLoop();
}
