// The renderer's nine settings. They are fixed values: nothing reads them from a file, the
// registry or the command line, and nothing range-checks them.
#pragma once

namespace orveline {

enum Geometry : int {
    GEOMETRY_LIGHTS = 0,
    GEOMETRY_POINTS = 1,
    GEOMETRY_LINES = 2,
};

struct RendererSettings {
    int windCount = 0;
    int emitterCount = 0;
    int particleCount = 0;
    int geometry = 0;  // any value outside the three styles draws nothing
    int particleSize = 0;
    int windSpeed = 0;
    int emitterSpeed = 0;
    int particleSpeed = 0;
    int blur = 0;
};

// The values every run uses.
constexpr RendererSettings fixedRendererSettings() {
    RendererSettings s;
    s.windCount = 1;
    s.emitterCount = 300;
    s.particleCount = 3000;
    s.geometry = GEOMETRY_LINES;
    s.particleSize = 1;
    s.windSpeed = 20;
    s.emitterSpeed = 100;
    s.particleSpeed = 30;
    s.blur = 90;
    return s;
}

// The title by which the launcher finds the running renderer.
constexpr const char* kRendererWindowTitle = "OrvelineVC";
// The window class of the renderer, and the title its window is created with.
constexpr const char* kRendererWindowClass = "WindowsScreenSaverClass";
constexpr const char* kRendererInitialTitle = "Screensaver";

}  // namespace orveline
