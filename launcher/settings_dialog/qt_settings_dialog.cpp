#include "qt_settings_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QUrl>

#include "dialog_layout.h"
#include "launcher_platform.h"
#include "veyra_b.h"

namespace orveline {

using namespace dialog_layout;

namespace {

QRect PixelRect(const Place& p) {
    return QRect(Px(p.Left), Px(p.Top), Px(p.Width), Px(p.Height));
}

QColor FromBgr(std::uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// One twip row of a background: its pixel row takes the colour of the last line drawn in it.
void DrawTwipLine(QImage& image, int y, std::uint32_t colour) {
    const int row = y / dialog_layout::kTwipsPerPixel;
    if (row < 0 || row >= image.height()) return;
    const QRgb rgb = FromBgr(colour).rgb();
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
    std::fill(line, line + image.width(), rgb);
}

QFont DialogFont() {
    return QtCaptionFont(BuiltInCaptionFont());
}

// A label's caption, narrowed where it is wider than its room.
void DrawCaption(QPainter& p, const QRect& box, int room, const char* utf8) {
    const QString text = QString::fromUtf8(utf8);
    const QFont font = p.font();
    const int width = QFontMetrics(font).horizontalAdvance(text);
    if (width > room && room > 0) {
        QFont narrow = font;
        narrow.setStretch(std::max(50, room * 100 / width));
        p.setFont(narrow);
    }
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    p.setFont(font);
}

}  // namespace

// Pic_C(0): the panel with the windowless controls drawn on its retained background.
class QtSettingsPanel : public QWidget {
  public:
    QtSettingsPanel(QWidget* parent, Language language) : QWidget(parent), language_(language) {
        setFocusPolicy(Qt::StrongFocus);
        background_ = QImage(Px(kPanel.Width), Px(kPanel.Height), QImage::Format_RGB32);
        background_.fill(Qt::lightGray);
    }

    QImage& Background() { return background_; }
    std::array<bool, 3> marks{};
    QString fileName;
    std::function<void(int index, bool onMark, int button)> onOptionPressed;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, background_);
        p.setPen(Qt::black);
        p.drawRect(PixelRect(kHeadingFrame).adjusted(0, 0, -1, -1));
        p.setFont(DialogFont());
        p.drawText(PixelRect(kHeading), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromUtf8(TextOf(Text::Heading, language_)));
        DrawCaption(p, PixelRect(kRepeatCaption), kRepeatCaptionRoom,
                    TextOf(Text::RepeatCaption, language_));
        for (int i = 0; i < 3; ++i) {
            DrawCaption(p, PixelRect(kOptionLabel[i]), kOptionRoom[i],
                        TextOf(kOptionText[i], language_));
            DrawMark(p, PixelRect(kOptionMark[i]).topLeft(), marks[static_cast<std::size_t>(i)]);
        }
        p.drawText(PixelRect(kFileName), Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere,
                   fileName);
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        const int index = OptionAt(at.x(), at.y());
        if (index < 0 || !onOptionPressed) return;
        const bool onMark = PixelRect(kOptionMark[index]).contains(at);
        const int button = event->button() == Qt::RightButton    ? 2
                           : event->button() == Qt::MiddleButton ? 4
                                                                 : 1;
        onOptionPressed(index, onMark, button);
    }

  private:
    // The off mark: white with a thin grey border; the on mark: blue with a darker border.
    static void DrawMark(QPainter& p, QPoint at, bool on) {
        const QRect box(at, QSize(kMarkPixels, kMarkPixels));
        p.fillRect(box, on ? QColor(0x31, 0x6A, 0xC5) : Qt::white);
        p.setPen(on ? QColor(0x00, 0x3C, 0x74) : QColor(0x80, 0x80, 0x80));
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
    }

    Language language_;
    QImage background_;
};

QtSettingsDialog::QtSettingsDialog(Language language, QWidget* parent) : QDialog(parent) {
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Px(kClient.Width), Px(kClient.Height));
    setFont(DialogFont());
    background_ = QImage(width(), height(), QImage::Format_RGB32);
    background_.fill(Qt::darkGray);

    panel_ = new QtSettingsPanel(this, language);
    panel_->setGeometry(PixelRect(kPanel));
    panel_->onOptionPressed = [this](int index, bool onMark, int button) {
        if (!presenter_) return;
        if (onMark)
            presenter_->Img_BGM_MouseDown(index, button, 0, 0, 0);
        else
            presenter_->lbl_BGM_MouseDown(index, button, 0, 0, 0);
    };

    repeat_ = new QComboBox(panel_);
    repeat_->setEditable(true);
    repeat_->setInsertPolicy(QComboBox::NoInsert);
    repeat_->setGeometry(PixelRect(kRepeat));
    repeat_->setFont(DialogFont());

    cmdBgm_ = AddButton(panel_, kCaptionBrowse, 9);
    cmdBgm_->setGeometry(PixelRect(kCmdBgm));
    cmdSet_ = AddButton(this, TextOf(Text::CmdSet, language), 10);
    cmdSet_->setGeometry(PixelRect(kCmdSet));
    cmdCan_ = AddButton(this, TextOf(Text::CmdCancel, language), 11);
    cmdCan_->setGeometry(PixelRect(kCmdCan));
    cmdEtc_ = AddButton(this, TextOf(Text::CmdOther, language), 12);
    cmdEtc_->setGeometry(PixelRect(kCmdEtc));

    // Tab order by tab index: the panel, the combo box, then the buttons.
    setTabOrder(panel_, repeat_);
    setTabOrder(repeat_, cmdBgm_);
    setTabOrder(cmdBgm_, cmdSet_);
    setTabOrder(cmdSet_, cmdCan_);
    setTabOrder(cmdCan_, cmdEtc_);
    panel_->setFocus();

    ConnectButtonClicks(presenter_, cmdBgm_->Control(), cmdSet_->Control(), cmdCan_->Control(),
                        cmdEtc_->Control());
}

QtSettingsDialog::~QtSettingsDialog() = default;

QtCommandButton* QtSettingsDialog::AddButton(QWidget* parent, const char* caption, int) {
    auto* button = new QtCommandButton(parent);
    // The form's saved layout: each button differs from the defaults only in its caption.
    PropertyStore saved;
    saved.WriteProperty("Caption", std::string(caption), std::string("Command1"));
    button->Control().UserControl_ReadProperties(saved);
    return button;
}

int QtSettingsDialog::FormWidth() {
    return Twips(frameGeometry().width());
}
int QtSettingsDialog::FormHeight() {
    return Twips(frameGeometry().height());
}

int QtSettingsDialog::ScreenWidth() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? Twips(s->geometry().width()) : 0;
}

int QtSettingsDialog::ScreenHeight() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? Twips(s->geometry().height()) : 0;
}

void QtSettingsDialog::MoveForm(int left, int top) {
    move(Px(left), Px(top));
}

ScreenRect QtSettingsDialog::WindowRect() {
    const QRect r = frameGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

std::vector<Command*> QtSettingsDialog::ButtonControls() {
    return {&cmdBgm_->Control(), &cmdSet_->Control(), &cmdCan_->Control(), &cmdEtc_->Control()};
}

void QtSettingsDialog::ShowOptionMark(int index, bool on) {
    if (index < 0 || index > 2) return;
    panel_->marks[static_cast<std::size_t>(index)] = on;
    panel_->update();
}

void QtSettingsDialog::SetRepeatText(const std::string& text) {
    repeat_->setEditText(QString::fromStdString(text));
}

std::string QtSettingsDialog::RepeatText() {
    return repeat_->currentText().toStdString();
}

void QtSettingsDialog::AddRepeatItem(const std::string& text) {
    // Adding an item must not replace the text already set.
    const QString current = repeat_->currentText();
    repeat_->addItem(QString::fromStdString(text));
    repeat_->setEditText(current);
}

void QtSettingsDialog::SetFileCaption(const std::string& text) {
    panel_->fileName = QString::fromStdString(text);
    panel_->update();
}

int QtSettingsDialog::PanelInnerHeight() {
    return Twips(panel_->height());
}

void QtSettingsDialog::DrawFormLine(int y, std::uint32_t colour) {
    DrawTwipLine(background_, y, colour);
    update();
}

void QtSettingsDialog::DrawPanelLine(int y, std::uint32_t colour) {
    DrawTwipLine(panel_->Background(), y, colour);
    panel_->update();
}

void QtSettingsDialog::Close() {
    closing_ = true;
    done(QDialog::Accepted);
}

void QtSettingsDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, background_);
}

void QtSettingsDialog::resizeEvent(QResizeEvent*) {
    if (background_.size() != size()) {
        background_ = QImage(width(), height(), QImage::Format_RGB32);
    }
    if (presenter_) presenter_->Form_Resize();
}

void QtSettingsDialog::closeEvent(QCloseEvent* event) {
    // The close box saves nothing; the unload runs once whichever way the form goes.
    if (!closing_ && presenter_) presenter_->Form_Unload();
    QDialog::closeEvent(event);
}

void QtSettingsDialog::keyPressEvent(QKeyEvent* event) {
    // The form has no default or cancel button: Enter and Escape do nothing.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QtSettingsDialogPlatform::QtSettingsDialogPlatform(LauncherPlatform& launcher, QWidget* owner)
    : LauncherDialogPlatform(launcher), owner_(owner) {}

std::optional<std::string> QtSettingsDialogPlatform::ChooseFile(const FileChooserRequest& request) {
    // "*.MP3;*.WAV" as Qt patterns; names on Linux are case-sensitive, so both cases are offered.
    QStringList patterns;
    for (const QString& pattern : QString::fromStdString(request.FilterPattern).split(';')) {
        patterns << pattern << pattern.toLower();
    }
    const QString filter =
        QString::fromStdString(request.FilterDescription) + " (" + patterns.join(' ') + ")";
    QFileDialog chooser(owner_, QString::fromStdString(request.Title), QString(), filter);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(QFileDialog::AnyFile);  // like the open dialog without flags
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return chooser.selectedFiles().first().toStdString();
}

void QtSettingsDialogPlatform::OpenWebPage(const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

void QtSettingsDialogPlatform::SetMousePointer(MousePointer pointer) {
    if (pointer == MousePointer::Hourglass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

void QtSettingsDialogPlatform::ShowMessage(const std::string& text) {
    QMessageBox::warning(owner_, kApplicationTitle, QString::fromStdString(text));
}

void QtSettingsDialogPlatform::DrawAnimatedRects(const ScreenRect& from, const ScreenRect& to) {
    QtZoomOutline(from, to);
}

void QtZoomOutline(const ScreenRect& from, const ScreenRect& to) {
    // A frameless top-level window masked to a 2-pixel outline, moved in a few steps.
    QWidget outline(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                                 Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint);
    outline.setAttribute(Qt::WA_ShowWithoutActivating);
    outline.setAutoFillBackground(true);
    QPalette palette = outline.palette();
    palette.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
    outline.setPalette(palette);
    constexpr int kSteps = 8;
    for (int step = 1; step <= kSteps; ++step) {
        auto between = [&](int a, int b) { return a + (b - a) * step / kSteps; };
        const QRect r(QPoint(between(from.Left, to.Left), between(from.Top, to.Top)),
                      QPoint(between(from.Right, to.Right), between(from.Bottom, to.Bottom)));
        const QRect box = r.normalized().adjusted(0, 0, 1, 1);
        outline.setGeometry(box);
        const QRect local(QPoint(0, 0), box.size());
        QRegion ring(local);
        if (box.width() > 4 && box.height() > 4) ring -= QRegion(local.adjusted(2, 2, -2, -2));
        outline.setMask(ring);
        outline.show();
        QElapsedTimer frame;
        frame.start();
        while (frame.elapsed() < 15) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
            QThread::msleep(2);
        }
    }
}

}  // namespace orveline
