#include "saver_stages.h"

#include <cstdlib>

namespace orveline {

void applySettings(RendererState& state, RendererPlatform& platform) {
    state.desk.settings = fixedRendererSettings();
    platform.setWindowTitle(kRendererWindowTitle);
}

void initGL(RendererState& state, RendererPlatform& platform) {
    state.desk.seed(platform.calendarTime());
    const ClientRect client = platform.createContext();
    state.desk.setUp(platform.gl(), client, platform.monitors());
}

void releaseGL(RendererState& state, RendererPlatform& platform) {
    state.desk.release();
    platform.releaseContext();
}

void idleFrame(RendererState& state, RendererPlatform& platform) {
    if (state.renderReady && !state.passwordDialogUp) state.desk.drawFrame(platform.gl(), platform);
}

void reshapeDesk(RendererState& state, RendererPlatform& platform, const ClientRect& client) {
    if (state.renderReady) state.desk.reshape(platform.gl(), client, platform.monitors());
}

MessageResult screenSaverProc(RendererState& state, RendererPlatform& platform,
                              const WindowMessage& message) {
    switch (message.kind) {
        case MessageKind::Create:
            state.lastCursorPos = platform.cursorPosition();
            platform.hideCursor();
            break;
        case MessageKind::Destroy:
            platform.postQuit(0);
            break;
        case MessageKind::SysCommand:
            // Switching windows and the system's own screen saver are refused.
            if (message.command != SystemCommand::Other) return 0;
            break;
        default:
            break;
    }
    return lifecycleProc(state, platform, message);
}

MessageResult lifecycleProc(RendererState& state, RendererPlatform& platform,
                            const WindowMessage& message) {
    switch (message.kind) {
        case MessageKind::Create:
            applySettings(state, platform);
            // The render thread keeps its priority.
            initGL(state, platform);
            state.renderReady = true;
            break;
        case MessageKind::Destroy:
            // Nothing may draw from here on, whatever the platform's loop does next.
            state.renderReady = false;
            releaseGL(state, platform);
            break;
        default:
            break;
    }
    return saverInputProc(state, platform, message);
}

MessageResult saverInputProc(RendererState& state, RendererPlatform& platform,
                             const WindowMessage& message) {
    if (message.kind == MessageKind::Close) {
        if (!state.closeRequested) return 0;
        if (platform.verifyPassword(state) == 0) {
            state.lastCursorPos = platform.cursorPosition();
            return 0;
        }
        return platform.defaultHandling(message);
    }
    if (state.passwordDialogUp) return platform.defaultHandling(message);

    switch (message.kind) {
        case MessageKind::ShowWindow:
            if (message.flag) platform.hideCursor();
            return platform.defaultHandling(message);
        case MessageKind::ActivateApp:
            if (message.flag) return platform.defaultHandling(message);
            break;  // losing activation is a close request
        case MessageKind::KeyDown:
        case MessageKind::SysKeyDown:
        case MessageKind::LButtonDown:
        case MessageKind::RButtonDown:
        case MessageKind::MButtonDown:
            break;  // a close request
        case MessageKind::SetCursor:
            platform.hideCursor();
            return 1;
        case MessageKind::MouseMove: {
            if (!state.firstMoveSeen)
                state.firstMoveSeen = true;
            else
                state.closeRequested = true;
            const CursorPosition now = platform.cursorPosition();
            const long long d = std::llabs(static_cast<long long>(state.lastCursorPos.x) - now.x) +
                                std::llabs(static_cast<long long>(state.lastCursorPos.y) - now.y);
            if (d > MOUSE_MOVE_THRESHOLD)
                platform.postClose();
            else
                state.lastCursorPos = now;
            return platform.defaultHandling(message);
        }
        default:
            return platform.defaultHandling(message);
    }

    state.closeRequested = true;
    platform.postClose();
    return platform.defaultHandling(message);
}

}  // namespace orveline
