#include "veyra_r.h"

#include <algorithm>
#include <cmath>

#include "launcher_platform.h"

namespace orveline {

namespace {

// Twips back to pixels, to the nearest pixel (exact at 15 twips per pixel).
int pixelsOf(std::int16_t twips, int twipsPerPixel) {
    if (twipsPerPixel <= 0) return 0;
    return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixel));
}

}  // namespace

std::optional<std::int16_t> TwipsOf(std::int64_t pixels, int twipsPerPixel) {
    const std::int64_t twips = pixels * twipsPerPixel;
    if (twips < -32768 || twips > 32767) return std::nullopt;
    return static_cast<std::int16_t>(twips);
}

void Veyra_R::ShowPreview(std::int32_t host) {
    if (host == 0 || !view_.windowExists(host)) platform_.endProcess();

    WindowRect rect;
    if (!view_.windowRect(host, rect)) rect = WindowRect{};
    const int tppX = view_.twipsPerPixelX();
    const int tppY = view_.twipsPerPixelY();
    WidthTwips = TwipsOf(std::int64_t{rect.right} - rect.left, tppX).value_or(0);
    HeightTwips = TwipsOf(std::int64_t{rect.bottom} - rect.top, tppY).value_or(0);

    view_.loadForm();
    view_.setFormStyle(view_.formStyle() | kChildWindowStyle);
    view_.setFormParent(host);
    // A host whose rectangle is turned inside out gets a form of no size.
    const int width = std::max(0, pixelsOf(WidthTwips, tppX));
    const int height = std::max(0, pixelsOf(HeightTwips, tppY));
    view_.moveForm(0, 0, width, height);
    view_.movePicture(0, 0, width, height);
    view_.showForm();
}

void Veyra_R::Form_Unload() {
    view_.postCloseToForm();
    // It was the process's only form.
    platform_.quitMessageLoop();
}

}  // namespace orveline
