#include "hosted_command.h"

#include <cstdio>

#include "launcher_platform.h"
#include "launcher_state.h"
#include "veyra_b.h"

namespace orveline {

bool ParseWindowId(const std::string& text, std::uint32_t& window) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 8u : 10u)) return false;
    std::uint64_t value = 0;
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return false;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    }
    if (value == 0 || value > 0xFFFFFFFFu) return false;
    window = static_cast<std::uint32_t>(value);
    return true;
}

HostedCommand ParseHostedCommand(const std::vector<std::string>& arguments,
                                 const char* xscreensaverWindow) {
    HostedCommand command;
    if (arguments.empty()) return command;
    const std::string& first = arguments[0];
    const bool root = first == "--root" || first == "-root";
    const bool pane = first == "--window-id" || first == "-window-id";
    if (!root && !pane) return command;
    command.hosted = true;

    const std::size_t expected = root ? 1 : 2;
    if (arguments.size() < expected) {
        command.error = first + " needs an X window id";
    } else if (arguments.size() > expected) {
        command.error = "unexpected argument \"" + arguments[expected] + "\"";
    } else if (pane) {
        if (!ParseWindowId(arguments[1], command.window))
            command.error = "\"" + arguments[1] + "\" is not an X window id";
    } else if (xscreensaverWindow && xscreensaverWindow[0]) {
        if (!ParseWindowId(xscreensaverWindow, command.window))
            command.error = "XSCREENSAVER_WINDOW=\"" + std::string(xscreensaverWindow) +
                            "\" is not an X window id";
    }
    command.music = root;
    return command;
}

RunPlacement HostedPlacement(std::uint32_t host, bool music) {
    char id[16];
    std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(host));
    RunPlacement placement;
    placement.formTitle = kHostedFormTitle;
    placement.rendererArguments = {"--window-id", id};
    placement.rendererEndsWithRun = true;
    placement.watch = RunPlacement::Watch::TitleUnderHost;
    placement.host = host;
    placement.music = music ? RunPlacement::Music::WhileLockHeld : RunPlacement::Music::Never;
    return placement;
}

HostedStart HostedMain(LauncherPlatform& platform, LauncherState& state,
                       const RunPlacement& placement) {
    if (main_steps::WindowOpen(platform, kSettingsDialogTitle)) {
        return HostedStart::SettingsDialogOpen;
    }
    main_steps::ReadSettings(platform, state);
    if (!main_steps::RendererPresent(platform)) return HostedStart::RendererMissing;
    main_steps::LoadRunForm(platform, state, placement);
    return HostedStart::Running;
}

}  // namespace orveline
