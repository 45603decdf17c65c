#include "command.h"

#include <cstdlib>
#include <utility>

namespace orveline {

using namespace command_state;

namespace {

constexpr int kFrame = 60;  // twips, 4 pixels
constexpr const char* kGradientWhite = "&HFFFFFF";
constexpr const char* kGradientLavender = "&HC6C5D7";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

// Layout values are 16-bit signed twips.
std::int16_t Wrap16(int value) {
    return static_cast<std::int16_t>(value);
}

}  // namespace

std::array<FramePiece, 8> FramePieces(std::int16_t width, std::int16_t height) {
    const int w = width;
    const int h = height;
    const int across = Wrap16(w - 2 * kFrame);
    const int down = Wrap16(h - 2 * kFrame);
    const int right = Wrap16(w - kFrame);
    const int bottom = Wrap16(h - kFrame);
    return {{
        {{0, 0, 60, 60}, {1, 1, 60, 60}},                // top-left corner
        {{60, 1, 840, 60}, {60, 1, across, 60}},         // top edge
        {{900, 1, 60, 60}, {right, 1, 60, 60}},          // top-right corner
        {{900, 60, 60, 255}, {right, 60, 60, down}},     // right edge
        {{900, 315, 60, 60}, {right, bottom, 60, 60}},   // bottom-right corner
        {{60, 315, 840, 60}, {60, bottom, across, 60}},  // bottom edge
        {{0, 315, 60, 60}, {1, bottom, 60, 60}},         // bottom-left corner
        {{1, 60, 60, 255}, {1, 60, 60, down}},           // left edge
    }};
}

GradientColour GradientLiteral(const char* literal) {
    std::string text(literal);
    if (text.rfind("&H", 0) == 0) text.erase(0, 2);
    while (text.size() < 6) text.insert(text.begin(), '0');
    auto pair = [&](std::size_t at) {
        return static_cast<std::uint16_t>((HexDigit(text[at]) * 16 + HexDigit(text[at + 1])) << 8);
    };
    return {pair(0), pair(2), pair(4)};
}

std::uint32_t GradientRowColour(const GradientColour& top, const GradientColour& bottom, int row,
                                int height) {
    const int span = height - 1;
    auto channel = [&](std::uint16_t a, std::uint16_t b) -> std::uint32_t {
        if (span <= 0) return a >> 8;
        long value = a + (static_cast<long>(b) - a) * row / span;
        return static_cast<std::uint32_t>(value) >> 8;
    };
    return channel(top.Red, bottom.Red) | channel(top.Green, bottom.Green) << 8 |
           channel(top.Blue, bottom.Blue) << 16;
}

Command::Command(CommandSurface& surface) : surface_(surface) {}

void Command::Initialize() {
    state_ = Normal;
    surface_.StartMouseTimer(100);
}

void Command::Caption(const std::string& text) {
    lblMsg_.Text = text;
    surface_.CaptionChanged(lblMsg_);
    surface_.PropertyChanged("Caption");
}

void Command::Font(std::shared_ptr<CaptionFont> font) {
    if (font) lblMsg_.Font = std::move(font);
    surface_.CaptionChanged(lblMsg_);
    surface_.PropertyChanged("Font");
}

std::uint32_t Command::FontColour() {
    std::uint32_t colour = lblMsg_.Colour;
    ResetFace();
    return colour;
}

void Command::FontColour(std::uint32_t colour) {
    SetCaptionColour(colour);
    ResetFace();
    surface_.PropertyChanged("FontColour");
}

bool Command::Enabled() {
    if (firstRun_ == 0) {
        ResetFace();
        firstRun_ = 1;
        enabled_ = true;
    }
    bool result = enabled_;
    ApplyEnabled();
    return result;
}

void Command::Enabled(bool enabled) {
    enabled_ = enabled;
    surface_.PropertyChanged("Enabled");
    ApplyEnabled();
}

std::uint8_t Command::Visible() {
    if (faceOpacity_ != 0) {
        ResetFace();
        return 255;
    }
    return 0;
}

void Command::Visible(std::uint8_t visible) {
    faceOpacity_ = visible != 0 ? 1 : 0;
    surface_.SetFaceOpaque(visible != 0);
    if (visible != 0) ResetFace();
    surface_.PropertyChanged("Visible");
}

void Command::UserControl_ReadProperties(const PropertyStore& store) {
    // A stored value that does not convert leaves that property as it was.
    if (auto v = AsBoolean(store.ReadProperty("Enabled", true))) enabled_ = *v;
    if (auto v = AsText(store.ReadProperty("Caption", std::string("Command1")))) {
        lblMsg_.Text = *v;
    }
    const PropertyValue font = store.ReadProperty("Font", store.AmbientFont);
    if (auto v = std::get_if<CaptionFont>(&font)) lblMsg_.Font = std::make_shared<CaptionFont>(*v);
    if (auto v = AsInteger(store.ReadProperty("FirstRun", std::string("1")), 0, 255))
        firstRun_ = static_cast<std::uint8_t>(*v);
    if (auto v =
            AsInteger(store.ReadProperty("FontColour", std::string("0")), INT32_MIN, UINT32_MAX))
        lblMsg_.Colour = static_cast<std::uint32_t>(*v);
    if (auto v = AsInteger(store.ReadProperty("Visible", std::string("1")), INT16_MIN, INT16_MAX)) {
        faceOpacity_ = static_cast<std::int16_t>(*v);
        surface_.SetFaceOpaque(faceOpacity_ != 0);
    }
    surface_.CaptionChanged(lblMsg_);
    ResetFace();
}

void Command::UserControl_WriteProperties(PropertyStore& store) {
    store.WriteProperty("Enabled", enabled_, true);
    // One default in both directions, so that every caption comes back as it was saved.
    store.WriteProperty("Caption", lblMsg_.Text, std::string("Command1"));
    store.WriteProperty("FirstRun", static_cast<std::int32_t>(firstRun_), std::string("1"));
    store.WriteProperty("Font", *lblMsg_.Font, store.AmbientFont);
    store.WriteProperty("FontColour", static_cast<std::int32_t>(lblMsg_.Colour), std::string("0"));
    store.WriteProperty("Visible", static_cast<std::int32_t>(faceOpacity_), std::string("1"));
    ResetFace();
}

void Command::UserControl_Resize() {
    ApplyEnabled();
}

void Command::UserControl_GotFocus() {
    if (!enabled_) return;
    if (state_ != HighLight) {
        state_ = Selected;
        PaintButton(StateImage::Selected);
    } else {
        state_ = HighLightSelect;
        PaintButton(StateImage::Pressed);
    }
}

void Command::UserControl_LostFocus() {
    if (!enabled_) return;
    if (state_ != Normal) {
        state_ = Normal;
        PaintButton(StateImage::Normal);
    }
}

void Command::UserControl_MouseDown(int button, int, float, float) {
    if (!enabled_) return;
    if (button == 1) {
        mouseIsDown_ = true;
        PaintButton(StateImage::Pressed);
    }
}

void Command::UserControl_MouseMove(int, int, float, float) {
    if (!enabled_) return;
    if (state_ == Normal) {
        state_ = HighLight;
        PaintButton(StateImage::HighLight);
    }
    if (state_ == Selected && !mouseIsDown_) {
        state_ = HighLightSelect;
        PaintButton(StateImage::HighLightSelect);
    }
}

void Command::UserControl_MouseUp(int button, int, float, float) {
    if (!enabled_) return;
    if (button == 1) {
        mouseIsDown_ = false;
        if (state_ == HighLight) PaintButton(StateImage::Normal);
        if (state_ == HighLightSelect) PaintButton(StateImage::HighLightSelect);
    }
    if (state_ != Selected && enabled_ && Click) {
        // A copy: the handler may replace the handler or close the holder.
        auto handler = Click;
        handler();
    }
}

void Command::TmrMouse_Timer() {
    // Any window but the control's own is outside, the parent form included; the caption, with
    // no window of its own, is inside.
    if (surface_.PointerPlaceNow() != PointerPlace::OwnWindow) PointerLeft();
}

void Command::PointerLeft() {
    if (!enabled_) return;
    if (state_ == HighLight) {
        state_ = Normal;
        PaintButton(StateImage::Normal);
    }
    if (state_ == HighLightSelect) {
        state_ = Selected;
        PaintButton(StateImage::Selected);
    }
}

void Command::ApplyEnabled() {
    if (enabled_) {
        PaintButton(StateImage::Normal);
        SetCaptionEnabled(true);
    } else {
        PaintButton(StateImage::Disable);
        SetCaptionEnabled(false);
    }
}

void Command::ResetFace() {
    if (!enabled_) return;
    SetCaptionEnabled(true);
    if (firstRun_ == 0) SetCaptionColour(0);
    PaintButton(StateImage::Normal);
}

void Command::SetCaptionEnabled(bool enabled) {
    lblMsg_.Enabled = enabled;
    surface_.CaptionChanged(lblMsg_);
}

void Command::SetCaptionColour(std::uint32_t colour) {
    lblMsg_.Colour = colour;
    surface_.CaptionChanged(lblMsg_);
}

void Command::PaintButton(StateImage image) {
    if (state_ == Normal || state_ == Selected) reverseGradient_ = false;
    if (state_ == HighLight) reverseGradient_ = true;
    face_ = image;

    const std::int16_t w = Wrap16(surface_.WidthTwips());
    const std::int16_t h = Wrap16(surface_.HeightTwips());
    surface_.Clear();
    DrawGradient();
    for (const FramePiece& piece : FramePieces(w, h)) {
        // Controls under 120 twips get no stretched piece rather than a negative one.
        if (piece.Destination.Width <= 0 || piece.Destination.Height <= 0) continue;
        surface_.DrawPiece(image, piece.Source, piece.Destination);
    }
    surface_.Refresh();

    lblMsg_.Top = (static_cast<float>(h) - static_cast<float>(lblMsg_.Height) - 20.0f) / 2.0f;
    lblMsg_.Left = 0;
    lblMsg_.Width = w;
    surface_.CaptionChanged(lblMsg_);
}

void Command::DrawGradient() {
    const GradientColour white = GradientLiteral(kGradientWhite);
    const GradientColour lavender = GradientLiteral(kGradientLavender);
    if (reverseGradient_) {
        surface_.FillGradient(lavender, white);
    } else {
        surface_.FillGradient(white, lavender);
    }
    surface_.Refresh();
}

}  // namespace orveline
