// The launcher's own push button "Veyra.Command": four visual states that follow the pointer,
// the focus, the left mouse button and the enabled flag; a gradient face inside a frame cut from
// six state images; a Click event. This is the portable control; the platform's widget or window
// implements CommandSurface and forwards its input and timer to the hooks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "property_store.h"

namespace orveline {

enum class StateImage { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };

// Values of `State`; 0 until Initialize.
namespace command_state {
inline constexpr std::uint8_t Normal = 1;
inline constexpr std::uint8_t HighLight = 2;
inline constexpr std::uint8_t Selected = 3;
inline constexpr std::uint8_t HighLightSelect = 4;
}  // namespace command_state

constexpr int kTwipsPerPixel = 15;
// The state images are 64 x 25 pixels.
constexpr int kStateImageWidth = 64;
constexpr int kStateImageHeight = 25;
// The face's cleared colour, also the plain outer ring of the Pressed frame (0x00BBGGRR).
constexpr std::uint32_t kFaceBackground = 0xD8E9EC;

struct TwipsRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TwipsRect& o) const {
        return X == o.X && Y == o.Y && Width == o.Width && Height == o.Height;
    }
};

struct FramePiece {
    TwipsRect Source;
    TwipsRect Destination;
};

// The eight frame pieces of a face W x H twips, in drawing order.
std::array<FramePiece, 8> FramePieces(std::int16_t width, std::int16_t height);

// Twips to pixels: the 1-twip offsets of the pieces fall on pixel 0.
inline int TwipsToPixels(int twips) {
    return twips >= 0 ? twips / kTwipsPerPixel : -((-twips + kTwipsPerPixel - 1) / kTwipsPerPixel);
}

// One vertex colour of the face gradient: 16-bit channels, the 8-bit value in the high byte.
struct GradientColour {
    std::uint16_t Red = 0;
    std::uint16_t Green = 0;
    std::uint16_t Blue = 0;
    bool operator==(const GradientColour& o) const {
        return Red == o.Red && Green == o.Green && Blue == o.Blue;
    }
};

// A colour literal "&HRRGGBB" read as red, green, blue pairs.
GradientColour GradientLiteral(const char* literal);

// Colour (0x00BBGGRR) of pixel row `row` of a vertical gradient over `height` rows from `top`
// at row 0 towards `bottom` at row height - 1, channel by channel.
std::uint32_t GradientRowColour(const GradientColour& top, const GradientColour& bottom, int row,
                                int height);

// The caption element LblMsg: windowless, transparent, centred text.
struct CaptionElement {
    std::string Text = "Command";
    std::shared_ptr<CaptionFont> Font = std::make_shared<CaptionFont>(BuiltInCaptionFont());
    std::uint32_t Colour = 0;
    bool Enabled = true;
    int Left = 0;
    float Top = 90;
    int Width = 1635;
    int Height = 195;
};

// Where the pointer is, as the window under it tells.
enum class PointerPlace { OwnWindow, ParentForm, OtherWindow };

// What the control needs of its platform.
class CommandSurface {
  public:
    virtual ~CommandSurface() = default;
    // The control's size in twips.
    virtual int WidthTwips() const = 0;
    virtual int HeightTwips() const = 0;
    // The retained face picture.
    virtual void Clear() = 0;
    virtual void FillGradient(const GradientColour& top, const GradientColour& bottom) = 0;
    virtual void DrawPiece(StateImage image, const TwipsRect& source,
                           const TwipsRect& destination) = 0;
    virtual void Refresh() = 0;
    virtual void CaptionChanged(const CaptionElement& caption) = 0;
    virtual void SetFaceOpaque(bool opaque) = 0;
    virtual void StartMouseTimer(int interval_ms) = 0;
    virtual PointerPlace PointerPlaceNow() = 0;
    // The persisted value under `key` changed; the host saves the properties again.
    virtual void PropertyChanged(const std::string& key) = 0;
};

class Command {
  public:
    explicit Command(CommandSurface& surface);
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // Raised from UserControl_MouseUp; the handler may close the form that holds the button.
    std::function<void()> Click;

    void Initialize();

    std::string Caption() const { return lblMsg_.Text; }
    void Caption(const std::string& text);
    std::shared_ptr<CaptionFont> Font() const { return lblMsg_.Font; }
    void Font(std::shared_ptr<CaptionFont> font);
    std::uint32_t FontColour();
    void FontColour(std::uint32_t colour);
    bool Enabled();
    void Enabled(bool enabled);
    std::uint8_t Visible();
    void Visible(std::uint8_t visible);

    void UserControl_ReadProperties(const PropertyStore& store);
    void UserControl_WriteProperties(PropertyStore& store);
    void UserControl_Resize();
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    void UserControl_MouseDown(int button, int shift, float x, float y);
    void UserControl_MouseMove(int button, int shift, float x, float y);
    void UserControl_MouseUp(int button, int shift, float x, float y);
    void TmrMouse_Timer();
    void LblMsg_MouseDown(int button, int shift, float x, float y) {
        UserControl_MouseDown(button, shift, x, y);
    }
    void LblMsg_MouseMove(int button, int shift, float x, float y) {
        UserControl_MouseMove(button, shift, x, y);
    }
    void LblMsg_MouseUp(int button, int shift, float x, float y) {
        UserControl_MouseUp(button, shift, x, y);
    }

    // Inner values, for the platform's drawing and for tests.
    std::uint8_t State() const { return state_; }
    bool MouseIsDown() const { return mouseIsDown_; }
    bool ReverseGradient() const { return reverseGradient_; }
    bool EnabledValue() const { return enabled_; }
    std::uint8_t FirstRun() const { return firstRun_; }
    bool FaceOpaque() const { return faceOpacity_ != 0; }
    const CaptionElement& LblMsg() const { return lblMsg_; }
    // The image of the last drawing, for tests and pictures.
    StateImage Face() const { return face_; }

  private:
    void PaintButton(StateImage image);
    void DrawGradient();
    void PointerLeft();
    void ApplyEnabled();
    void ResetFace();
    void SetCaptionEnabled(bool enabled);
    void SetCaptionColour(std::uint32_t colour);

    CommandSurface& surface_;
    std::uint8_t state_ = 0;
    bool mouseIsDown_ = false;
    bool reverseGradient_ = false;
    bool enabled_ = false;
    std::uint8_t firstRun_ = 0;
    std::int16_t faceOpacity_ = 1;
    CaptionElement lblMsg_;
    StateImage face_ = StateImage::Normal;
};

}  // namespace orveline
