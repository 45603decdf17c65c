// Preview form Veyra_R ("Preview Window"): a borderless black form that shows the still picture
// Img_Prev and lives as a child window of the host window named on the command line. Portable:
// the platform supplies the form's window through PreviewView.
#pragma once

#include <cstdint>
#include <optional>

namespace orveline {

class LauncherPlatform;

struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The child-window bit of a window's style word.
inline constexpr std::uint32_t kChildWindowStyle = 0x40000000;

// The preview form's window and its picture control, as the platform makes them.
class PreviewView {
  public:
    virtual ~PreviewView() = default;
    // True when the handle names an existing window.
    virtual bool windowExists(std::int32_t window) = 0;
    // The window's outer rectangle in screen pixels; false when the query fails.
    virtual bool windowRect(std::int32_t window, WindowRect& rect) = 0;
    // The screen's twips per pixel, horizontally and vertically.
    virtual int twipsPerPixelX() = 0;
    virtual int twipsPerPixelY() = 0;
    // Creates the form's window, hidden, with its title, black background and picture control.
    virtual void loadForm() = 0;
    virtual std::uint32_t formStyle() = 0;
    virtual void setFormStyle(std::uint32_t style) = 0;
    virtual void setFormParent(std::int32_t host) = 0;
    // Positions and sizes in pixels (the form's within its parent, the picture's within the form).
    virtual void moveForm(int x, int y, int width, int height) = 0;
    virtual void movePicture(int x, int y, int width, int height) = 0;
    virtual void showForm() = 0;
    // Posts the close message to the form's own window.
    virtual void postCloseToForm() = 0;
};

// A pixel length in twips rounded to a 16-bit signed integer; nothing outside its range.
std::optional<std::int16_t> TwipsOf(std::int64_t pixels, int twipsPerPixel);

class Veyra_R {
  public:
    Veyra_R(LauncherPlatform& platform, PreviewView& view) : platform_(platform), view_(view) {}

    // Embeds the form in the host. A handle that names no window ends the process at once:
    // nothing would ever close a form left outside any host.
    void ShowPreview(std::int32_t host);
    // The form is going (its host has gone): post the close and let the process end.
    void Form_Unload();

    // The form's size in twips as ShowPreview worked it out.
    std::int16_t WidthTwips = 0;
    std::int16_t HeightTwips = 0;

  private:
    LauncherPlatform& platform_;
    PreviewView& view_;
};

}  // namespace orveline
