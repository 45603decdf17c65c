// Where a run happens, as a parameter of the one run form (Veyra_S): a full-screen run of our own,
// or a hosted run inside a screen-saver daemon's window. The platform is the same for both; only
// the form's title, the renderer's arguments, where the watch looks for the renderer's window and
// whether the music plays differ.
// NOTE: on a display without X windows (Wayland) a watch of the started renderer's process alone
// would be one more Watch value: the run form keeps the StartedProgram it needs for that.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "veyra_b.h"

namespace orveline {

struct RunPlacement {
    // Where the watch looks for the renderer's window "OrvelineVC".
    enum class Watch {
        TitleOnDisplay,  // among the display's top-level windows (a full-screen run)
        TitleUnderHost,  // among the host's child windows, while the started renderer runs
    };
    // Whether the run plays the music of the settings.
    enum class Music {
        Plays,          // always (a full-screen run)
        Never,          // a daemon's preview pane
        WhileLockHeld,  // from when this copy holds the lock that hosted copies share (retried)
    };

    // The hidden run form's title, by which other copies see the run.
    std::string formTitle = kRunFormTitle;
    // What the renderer is started with after its path.
    std::vector<std::string> rendererArguments;
    // The renderer never outlives the run (LauncherPlatform::startProgram's endsWithLauncher).
    bool rendererEndsWithRun = false;
    Watch watch = Watch::TitleOnDisplay;
    std::uint32_t host = 0;  // the host window of Watch::TitleUnderHost
    Music music = Music::Plays;
};

// A default placement is the full-screen run.
inline RunPlacement FullScreenPlacement() {
    return RunPlacement{};
}

}  // namespace orveline
