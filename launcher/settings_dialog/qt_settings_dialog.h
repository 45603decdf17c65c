// Qt Widgets form of the settings dialog: the panel with its hand-drawn options, labels and
// heading frame, the editable track combo box and four push buttons, over retained background
// pictures that the presenter paints. Pairs with settings_dialog.h; the Linux launcher's
// showSettingsDialog shows it modally (qt_show_settings_dialog.cpp).
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <array>
#include <functional>
#include <memory>

#include "qt_command.h"
#include "settings_dialog.h"

namespace orveline {

class QtSettingsPanel;

class QtSettingsDialog : public QDialog, public SettingsDialogView {
    Q_OBJECT
  public:
    // The form with its captions in that language.
    explicit QtSettingsDialog(Language language, QWidget* parent = nullptr);
    ~QtSettingsDialog() override;

    // Connects the form's events to its presenter; without one they do nothing.
    void SetPresenter(Veyra_P* presenter) { presenter_ = presenter; }

    int FormWidth() override;
    int FormHeight() override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    void MoveForm(int left, int top) override;
    ScreenRect WindowRect() override;
    std::vector<Command*> ButtonControls() override;
    Command& FileButton() override { return cmdBgm_->Control(); }
    void ShowOptionMark(int index, bool on) override;
    void SetRepeatEnabled(bool enabled) override { repeat_->setEnabled(enabled); }
    void SetRepeatText(const std::string& text) override;
    std::string RepeatText() override;
    void AddRepeatItem(const std::string& text) override;
    void SetFileCaption(const std::string& text) override;
    int FormInnerHeight() override { return height() * 15; }
    int PanelInnerHeight() override;
    void DrawFormLine(int y, std::uint32_t colour) override;
    void DrawPanelLine(int y, std::uint32_t colour) override;
    void Close() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QtCommandButton* AddButton(QWidget* parent, const char* caption, int tabIndex);

    Veyra_P* presenter_ = nullptr;
    QImage background_;
    QtSettingsPanel* panel_;
    QComboBox* repeat_;
    QtCommandButton* cmdBgm_;
    QtCommandButton* cmdSet_;
    QtCommandButton* cmdCan_;
    QtCommandButton* cmdEtc_;
    bool closing_ = false;
};

// The platform services around the form, for a launcher platform.
class LauncherPlatform;
class QtSettingsDialogPlatform : public LauncherDialogPlatform {
  public:
    QtSettingsDialogPlatform(LauncherPlatform& launcher, QWidget* owner);
    std::optional<std::string> ChooseFile(const FileChooserRequest& request) override;
    void OpenWebPage(const std::string& address) override;
    void SetMousePointer(MousePointer pointer) override;
    void ShowMessage(const std::string& text) override;
    void DrawAnimatedRects(const ScreenRect& from, const ScreenRect& to) override;

  private:
    QWidget* owner_;
};

// Draws an outline moving between two screen rectangles, the Qt stand-in for the caption zoom.
void QtZoomOutline(const ScreenRect& from, const ScreenRect& to);

}  // namespace orveline
