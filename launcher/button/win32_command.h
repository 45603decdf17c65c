// Win32 window class "Veyra.Command" of the push button: the portable control drawing into a
// retained memory bitmap (GradientFill, StretchBlt of the frame pieces), the caption drawn over
// it, a 100 ms WM_TIMER poll of GetCursorPos + WindowFromPoint, capture between press and
// release. Pairs with command.h.
// With the face hidden (Visible 0) the parent paints the control's area (WM_PRINTCLIENT) and
// the caption is drawn over it; pointer input over that area still reaches the control.
#pragma once

#include <windows.h>

#include <array>

#include "command.h"

namespace orveline {

// Owns a GDI object and deletes it.
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept;
    ~GdiObject();
    HGDIOBJ Get() const { return object_; }

  private:
    HGDIOBJ object_ = nullptr;
};

// A memory device context holding one bitmap.
class MemoryCanvas {
  public:
    MemoryCanvas() = default;
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    ~MemoryCanvas();
    // Replaces the bitmap with an empty one of this size, compatible with `reference`.
    void Resize(HDC reference, int width, int height);
    // Takes a 24-bit picture of the given pixels (0x00RRGGBB, top row first).
    void Load(HDC reference, int width, int height, const std::uint32_t* rgb);
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    void Release();
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// A GDI font for a persisted caption font, at the 96 pixels per inch the layout assumes.
HFONT CreateCaptionFont(const CaptionFont& font);

class Win32CommandButton : private CommandSurface {
  public:
    static constexpr char kClassName[] = "Veyra.Command";
    // Registers the window class once per process.
    static bool RegisterWindowClass();

    // A child window of `parent` at (x, y) with size (width, height), in pixels.
    Win32CommandButton(HWND parent, int x, int y, int width, int height);
    Win32CommandButton(const Win32CommandButton&) = delete;
    Win32CommandButton& operator=(const Win32CommandButton&) = delete;
    ~Win32CommandButton() override;

    HWND Window() const { return window_; }
    Command& Control() { return control_; }
    // Stops the pointer-leave poll, so that a still picture keeps a hover state.
    void StopPointerPoll();

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    bool InSameForm(HWND other) const;

    int WidthTwips() const override { return width_ * kTwipsPerPixel; }
    int HeightTwips() const override { return height_ * kTwipsPerPixel; }
    void Clear() override;
    void FillGradient(const GradientColour& top, const GradientColour& bottom) override;
    void DrawPiece(StateImage image, const TwipsRect& source,
                   const TwipsRect& destination) override;
    void Refresh() override;
    void CaptionChanged(const CaptionElement& caption) override;
    void SetFaceOpaque(bool opaque) override;
    void StartMouseTimer(int interval_ms) override;
    PointerPlace PointerPlaceNow() override;
    void PropertyChanged(const std::string&) override {}

    Command control_;
    HWND window_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    MemoryCanvas face_;
    std::array<MemoryCanvas, 6> images_;
    CaptionElement caption_;
    GdiObject font_;
    CaptionFont fontOfHandle_;
    bool opaque_ = true;
};

}  // namespace orveline
