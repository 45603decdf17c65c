// The password check through PASSWORD.CPL's VerifyScreenSavePwd, loaded at run time.
#include "win32_password.h"

namespace orveline {

namespace {

using VerifyScreenSavePwdFunction = BOOL(WINAPI*)(HWND);

// The loaded control-panel library, unloaded on every way out.
class LoadedLibrary {
  public:
    explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    ~LoadedLibrary() {
        if (module_) FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    HMODULE get() const { return module_; }

  private:
    HMODULE module_;
};

bool isWindows95Family() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
    // NOTE: GetVersionExA is deprecated for feature tests, but the platform id is all we read.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    return known && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

}  // namespace

int verifyPassword(HWND window, bool& dialogUp) {
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the version structure is 148 bytes");
    if (!isWindows95Family()) return 1;
    LoadedLibrary library("PASSWORD.CPL");
    if (!library.get()) return 1;
    const auto check = reinterpret_cast<VerifyScreenSavePwdFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), "VerifyScreenSavePwd")));
    if (!check) return 1;

    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &previous, 0);
    dialogUp = true;
    const int result = check(window);
    dialogUp = false;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &previous, 0);
    return result;
}

}  // namespace orveline
