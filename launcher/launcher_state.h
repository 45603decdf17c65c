// Shared launcher state of module Veyra_B: one copy per launcher process, owned by the
// program's entry and handed by reference to the forms, the music module and the dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orveline {

struct LauncherState {
    // The settings record, loaded from the settings file at start-up.
    std::int16_t BgmKind = 0;    // 0 none, 1 audio CD, 2 MP3 or WAV file; other values play nothing
    std::int16_t BgmRepeat = 0;  // CD track to repeat; 0 repeats no single track
    std::string BgmFile;         // full path of the music file in the platform's bytes, or empty

    std::optional<std::int32_t> CursorCount;  // what the cursor-hide call returned; empty until set
    std::int16_t CursorX = 0;                 // cursor position when the settings dialog loaded
    std::int16_t CursorY = 0;
};

}  // namespace orveline
