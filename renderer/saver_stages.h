// The renderer's process-wide state and its window procedure, written once for every platform:
// a platform turns its native window messages into WindowMessage, passes them through
// screenSaverProc, and implements RendererPlatform (cursor, posting a close or the quit, the
// title, the password check, default handling, and the OpenGL context with its buffer swap).
//
// The three stages run in a chain: screenSaverProc -> lifecycleProc -> saverInputProc -> the
// platform's default handling.
#pragma once

#include <cstdint>
#include <vector>

#include "desk.h"
#include "gl_api.h"
#include "scene.h"

namespace orveline {

struct CursorPosition {
    std::int32_t x = 0, y = 0;
};

enum class MessageKind {
    Create,       // the window is being created (before it is shown)
    Destroy,      // the window is being destroyed
    Close,        // a request to close the window
    ShowWindow,   // flag: being shown
    ActivateApp,  // flag: being activated (false: the program loses activation)
    KeyDown,
    SysKeyDown,
    LButtonDown,
    RButtonDown,
    MButtonDown,
    MouseMove,
    SetCursor,
    SysCommand,  // command says which
    Other,       // anything else: default handling
};

enum class SystemCommand { NextWindow, PrevWindow, ScreenSave, Other };

struct WindowMessage {
    MessageKind kind = MessageKind::Other;
    bool flag = false;
    SystemCommand command = SystemCommand::Other;
    // The platform's own message, for its default handling; the stages never look at it.
    const void* native = nullptr;
};

using MessageResult = std::intptr_t;

constexpr int MOUSE_MOVE_THRESHOLD = 4;

struct RendererState;

class RendererPlatform : public FramePresenter {
  public:
    // Screen position of the cursor.
    virtual CursorPosition cursorPosition() = 0;
    virtual void hideCursor() = 0;
    // Queues a Close message for the window; it arrives through screenSaverProc later.
    virtual void postClose() = 0;
    // Makes the loop end with this exit code once the messages before it are handled.
    virtual void postQuit(int exitCode) = 0;
    virtual void setWindowTitle(const char* title) = 0;
    // Nonzero when the saver may close. A platform with a password dialog sets
    // state.passwordDialogUp while it shows; one without returns 1 at once.
    virtual int verifyPassword(RendererState& state) = 0;
    // What the system does with a message the stages pass on; for Close that destroys the
    // window, which must send Destroy through screenSaverProc while the window still exists.
    virtual MessageResult defaultHandling(const WindowMessage& message) = 0;

    // Seconds of the calendar time, which seeds the picture.
    virtual std::uint32_t calendarTime() = 0;
    // Device context, pixel format, rendering context, client rectangle, make current.
    // Failures are ignored: the set-up goes on.
    virtual ClientRect createContext() = 0;
    // The monitors the window covers, window-relative, primary first (monitorsInWindow); empty
    // when the window is one view (one monitor, or a host's window).
    virtual std::vector<MonitorArea> monitors() { return {}; }
    // Releases the device context, makes no context current and deletes the context.
    virtual void releaseContext() = 0;
    virtual const GlApi& gl() = 0;

  protected:
    ~RendererPlatform() = default;
};

// Everything the renderer process keeps besides the platform's handles.
struct RendererState {
    Desk desk;  // a scene per monitor
    bool renderReady = false;
    CursorPosition lastCursorPos;
    bool firstMoveSeen = false;
    bool closeRequested = false;
    bool passwordDialogUp = false;
};

// The fixed settings and the title "OrvelineVC".
void applySettings(RendererState& state, RendererPlatform& platform);
// Seed, context, projection, style and wind fields.
void initGL(RendererState& state, RendererPlatform& platform);
// Wind fields first, then the context.
void releaseGL(RendererState& state, RendererPlatform& platform);
// Draws a frame when set up and no password dialog shows.
void idleFrame(RendererState& state, RendererPlatform& platform);
// The window or the monitors changed size or number: viewports and scenes follow, the run goes on.
void reshapeDesk(RendererState& state, RendererPlatform& platform, const ClientRect& client);

MessageResult screenSaverProc(RendererState& state, RendererPlatform& platform,
                              const WindowMessage& message);
MessageResult lifecycleProc(RendererState& state, RendererPlatform& platform,
                            const WindowMessage& message);
MessageResult saverInputProc(RendererState& state, RendererPlatform& platform,
                             const WindowMessage& message);

}  // namespace orveline
