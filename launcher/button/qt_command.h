// Qt widget of the push button: a retained face image painted by the portable control, the
// caption drawn over it, a 100 ms poll of the widget under the pointer. Pairs with command.h.
// With the face hidden (Visible 0) the parent shows through and the caption is drawn over it;
// pointer input over that area still reaches the control.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "command.h"

namespace orveline {

class QtCommandButton : public QWidget, private CommandSurface {
    Q_OBJECT
  public:
    explicit QtCommandButton(QWidget* parent = nullptr);

    Command& Control() { return control_; }
    // Stops the pointer-leave poll, so that a still picture keeps a hover state.
    void StopPointerPoll() { mouseTimer_.stop(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int WidthTwips() const override { return width() * kTwipsPerPixel; }
    int HeightTwips() const override { return height() * kTwipsPerPixel; }
    void Clear() override;
    void FillGradient(const GradientColour& top, const GradientColour& bottom) override;
    void DrawPiece(StateImage image, const TwipsRect& source,
                   const TwipsRect& destination) override;
    void Refresh() override { update(); }
    void CaptionChanged(const CaptionElement& caption) override;
    void SetFaceOpaque(bool opaque) override;
    void StartMouseTimer(int interval_ms) override;
    PointerPlace PointerPlaceNow() override;
    void PropertyChanged(const std::string&) override {}

    QImage face_;
    QTimer mouseTimer_;
    CaptionElement caption_;
    bool opaque_ = true;
    Command control_;
};

// A Qt font for a persisted caption font; a Japanese gothic font stands in for the Windows one.
QFont QtCaptionFont(const CaptionFont& font);

}  // namespace orveline
