// Linux launcher platform, Qt half: the forms runtime. The message box, the timers on the user-
// interface thread, hidden titled windows and the message loop's end. Needs the QApplication.
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QMessageBox>
#include <QMetaObject>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

#include "x11_launcher_platform.h"

namespace orveline {

namespace {

class QtTimer : public UiTimer {
  public:
    QtTimer(int interval, std::function<void()> onTick) : onTick_(std::move(onTick)) {
        timer_.setInterval(interval);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTick_) onTick_();
        });
    }
    void setEnabled(bool enabled) override {
        if (enabled) {
            timer_.start();
        } else {
            timer_.stop();
        }
    }
    bool enabled() const override { return timer_.isActive(); }
    void setInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
    int interval() const override { return timer_.interval(); }

  private:
    QTimer timer_;
    std::function<void()> onTick_;
};

// A never-shown top-level widget whose native window exists, so its title is on the X server
// (WM_NAME and _NET_WM_NAME) for look-ups from this or another process.
class TitledWidget : public QWidget {
  public:
    TitledWidget(const std::string& title, std::function<void()> onClose)
        : onClose_(std::move(onClose)) {
        setWindowTitle(QString::fromUtf8(title.c_str()));
        setAttribute(Qt::WA_NativeWindow);
        winId();
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();  // the owner decides; a close request is only reported
        if (onClose_) onClose_();
    }

  private:
    std::function<void()> onClose_;
};

class QtHiddenWindow : public HiddenWindow {
  public:
    QtHiddenWindow(const std::string& title, std::function<void()> onClose)
        : widget_(title, std::move(onClose)) {}

  private:
    TitledWidget widget_;
};

}  // namespace

void LinuxLauncherPlatform::messageBox(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(caption.c_str()),
                    QString::fromUtf8(text.c_str()), QMessageBox::Ok);
    // Prefer a Japanese font where the default lacks the glyphs.
    QFont font = box.font();
    font.setFamilies({font.family(), QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    box.setFont(font);
    box.exec();
}

Language LinuxLauncherPlatform::userLanguage() {
    return LanguageFromLocale(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                              std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::unique_ptr<UiTimer> LinuxLauncherPlatform::createTimer(int intervalMilliseconds,
                                                            std::function<void()> onTick) {
    return std::make_unique<QtTimer>(intervalMilliseconds, std::move(onTick));
}

std::unique_ptr<HiddenWindow> LinuxLauncherPlatform::createHiddenWindow(
    const std::string& title, std::function<void()> onCloseRequest) {
    return std::make_unique<QtHiddenWindow>(title, std::move(onCloseRequest));
}

void LinuxLauncherPlatform::quitMessageLoop() {
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace orveline
