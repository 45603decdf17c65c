#include "qt_command.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <array>
#include <cmath>

#include "state_images.h"

namespace orveline {

namespace {

QColor FromBgr(std::uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

const QImage& StateQImage(StateImage image) {
    static const std::array<QImage, 6> images = [] {
        std::array<QImage, 6> result;
        for (int i = 0; i < 6; ++i) {
            const Pixels& pixels = StateImagePixels(static_cast<StateImage>(i));
            QImage q(pixels.Width, pixels.Height, QImage::Format_RGB32);
            for (int y = 0; y < pixels.Height; ++y)
                for (int x = 0; x < pixels.Width; ++x)
                    q.setPixel(x, y, 0xFF000000u | pixels.At(x, y));
            result[static_cast<std::size_t>(i)] = q;
        }
        return result;
    }();
    return images[static_cast<std::size_t>(image)];
}

QRect ToPixels(const TwipsRect& r) {
    return QRect(TwipsToPixels(r.X), TwipsToPixels(r.Y), TwipsToPixels(r.Width),
                 TwipsToPixels(r.Height));
}

// Mouse button code: 1 left, 2 right, 4 middle.
int ButtonCode(Qt::MouseButtons buttons) {
    int code = 0;
    if (buttons & Qt::LeftButton) code |= 1;
    if (buttons & Qt::RightButton) code |= 2;
    if (buttons & Qt::MiddleButton) code |= 4;
    return code;
}

int ShiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier) code |= 1;
    if (modifiers & Qt::ControlModifier) code |= 2;
    if (modifiers & Qt::AltModifier) code |= 4;
    return code;
}

}  // namespace

QFont QtCaptionFont(const CaptionFont& font) {
    QFont q;
    q.setFamilies({QString::fromStdString(font.Name), QStringLiteral("IPAPGothic"),
                   QStringLiteral("IPAGothic")});
    // Points at the 96 pixels per inch the layout assumes (15 twips to the pixel).
    q.setPixelSize(std::max(1, static_cast<int>(std::lround(font.Size * 96.0 / 72.0))));
    q.setWeight(font.Weight >= 600 ? QFont::Bold : QFont::Normal);
    q.setItalic(font.Italic);
    q.setUnderline(font.Underline);
    q.setStrikeOut(font.Strikethrough);
    return q;
}

QtCommandButton::QtCommandButton(QWidget* parent) : QWidget(parent), control_(*this) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    face_ = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    face_.fill(FromBgr(kFaceBackground));
    connect(&mouseTimer_, &QTimer::timeout, this, [this] { control_.TmrMouse_Timer(); });
}

void QtCommandButton::Clear() {
    face_.fill(FromBgr(kFaceBackground));
}

void QtCommandButton::FillGradient(const GradientColour& top, const GradientColour& bottom) {
    // Rows 0 to height - 2 and columns 0 to width - 2, as the vertical gradient fill does.
    const int h = face_.height();
    const int w = face_.width();
    for (int y = 0; y < h - 1; ++y) {
        const QRgb colour = 0xFF000000u | FromBgr(GradientRowColour(top, bottom, y, h)).rgb();
        auto* line = reinterpret_cast<QRgb*>(face_.scanLine(y));
        for (int x = 0; x < w - 1; ++x) line[x] = colour;
    }
}

void QtCommandButton::DrawPiece(StateImage image, const TwipsRect& source,
                                const TwipsRect& destination) {
    QPainter painter(&face_);
    // A plain copy, stretched by repeating pixels.
    painter.drawImage(ToPixels(destination), StateQImage(image), ToPixels(source));
}

void QtCommandButton::CaptionChanged(const CaptionElement& caption) {
    caption_ = caption;
    update();
}

void QtCommandButton::SetFaceOpaque(bool opaque) {
    opaque_ = opaque;
    update();
}

void QtCommandButton::StartMouseTimer(int interval_ms) {
    mouseTimer_.start(interval_ms);
}

PointerPlace QtCommandButton::PointerPlaceNow() {
    QWidget* under = QApplication::widgetAt(QCursor::pos());
    if (under == this) return PointerPlace::OwnWindow;
    if (under != nullptr && under == window()) return PointerPlace::ParentForm;
    return PointerPlace::OtherWindow;
}

void QtCommandButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (opaque_) painter.drawImage(0, 0, face_);
    const QRect box(TwipsToPixels(caption_.Left),
                    TwipsToPixels(static_cast<int>(std::lround(caption_.Top))),
                    TwipsToPixels(caption_.Width), TwipsToPixels(caption_.Height));
    painter.setFont(QtCaptionFont(*caption_.Font));
    const QString text = QString::fromStdString(caption_.Text);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
    if (caption_.Enabled) {
        painter.setPen(FromBgr(caption_.Colour));
        painter.drawText(box, flags, text);
    } else {
        // Greyed as disabled text is drawn: a light copy one pixel down-right under a grey one.
        painter.setPen(Qt::white);
        painter.drawText(box.translated(1, 1), flags, text);
        painter.setPen(QColor(0xAC, 0xA8, 0x99));
        painter.drawText(box, flags, text);
    }
}

void QtCommandButton::resizeEvent(QResizeEvent*) {
    face_ = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    face_.fill(FromBgr(kFaceBackground));
    control_.UserControl_Resize();
}

void QtCommandButton::mousePressEvent(QMouseEvent* event) {
    QPointer<QtCommandButton> alive(this);
    control_.UserControl_MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                                   event->position().x() * kTwipsPerPixel,
                                   event->position().y() * kTwipsPerPixel);
}

void QtCommandButton::mouseMoveEvent(QMouseEvent* event) {
    control_.UserControl_MouseMove(ButtonCode(event->buttons()), ShiftCode(event->modifiers()),
                                   event->position().x() * kTwipsPerPixel,
                                   event->position().y() * kTwipsPerPixel);
}

void QtCommandButton::mouseReleaseEvent(QMouseEvent* event) {
    control_.UserControl_MouseUp(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                                 event->position().x() * kTwipsPerPixel,
                                 event->position().y() * kTwipsPerPixel);
}

void QtCommandButton::focusInEvent(QFocusEvent* event) {
    // Activating the window is no focus change of the control.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    control_.UserControl_GotFocus();
}

void QtCommandButton::focusOutEvent(QFocusEvent* event) {
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    control_.UserControl_LostFocus();
}

}  // namespace orveline
