// The Qt form with its presenter, on Qt's offscreen platform: closing, saving, options and the
// painted background, without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTimer>
#include <memory>

#include "dialog_layout.h"
#include "fake_dialog_platform.h"
#include "launcher_state.h"
#include "qt_settings_dialog.h"

namespace orveline {
namespace {

// The application lives for the test run and goes before the program's static objects, which
// Qt's own clean-up needs.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[32] = "qt_settings_dialog_view_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// gtest owns the environment.
const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

struct QtDialog {
    LauncherState state;
    FakePlatform platform;
    QtSettingsDialog view{Language::Japanese};
    Veyra_P form{view, platform, state, "https://maker.example/"};

    QtDialog(int kind, int repeat) {
        state.BgmKind = static_cast<std::int16_t>(kind);
        state.BgmRepeat = static_cast<std::int16_t>(repeat);
        view.SetPresenter(&form);
        form.Form_Load();
        form.Form_Resize();
    }
    // Runs the modal loop with `action` as its first event.
    template <typename Action>
    void RunWith(Action action) {
        QTimer::singleShot(0, &view, action);
        QTimer::singleShot(5000, &view, [this] { view.done(QDialog::Rejected); });  // a stuck loop
        view.exec();
    }
};

using namespace dialog_layout;

TEST(QtSettingsDialogView, ClosingTheWindowSavesNothingAndZoomsBack) {
    QtDialog d(2, 0);
    d.RunWith([&] { d.view.close(); });
    EXPECT_FALSE(d.view.isVisible());
    EXPECT_TRUE(d.platform.writes.empty());
    EXPECT_TRUE(d.form.Unloaded());
    EXPECT_EQ(d.platform.zooms.size(), 2u);
}

TEST(QtSettingsDialogView, SaveButtonClickWritesAndEndsTheDialog) {
    QtDialog d(1, 7);
    d.RunWith([&] {
        Command* save = d.view.ButtonControls()[1];
        save->UserControl_MouseDown(1, 0, 10, 10);
        save->UserControl_MouseUp(1, 0, 10, 10);
    });
    EXPECT_FALSE(d.view.isVisible());
    ASSERT_EQ(d.platform.writes.size(), 3u);
    EXPECT_EQ(d.platform.writes[1].value, "7");  // the combo text survived its list items
    EXPECT_EQ(d.platform.zooms.size(), 2u);
}

TEST(QtSettingsDialogView, PressOnAnOptionLabelOrMarkChoosesIt) {
    QtDialog d(0, 0);
    QWidget* panel = d.view.childAt(Px(kPanel.Left) + 2, Px(kPanel.Top) + 2);
    ASSERT_NE(panel, nullptr);
    auto press = [&](const Place& place, int expectedKind) {
        const QPointF at(Px(place.Left) + 3, Px(place.Top) + 3);
        QMouseEvent event(QEvent::MouseButtonPress, at, panel->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(panel, &event);
        EXPECT_EQ(d.state.BgmKind, expectedKind);
    };
    press(kOptionLabel[2], 2);
    EXPECT_TRUE(d.view.FileButton().EnabledValue());
    press(kOptionMark[1], 1);
    EXPECT_FALSE(d.view.FileButton().EnabledValue());
    press(kOptionLabel[0], 0);
}

TEST(QtSettingsDialogView, BackgroundIsPaintedAndRetained) {
    QtDialog d(0, 0);
    d.view.show();
    const QImage picture = d.view.grab().toImage();
    ASSERT_EQ(picture.width(), 479);
    auto near = [](QRgb pixel, int r, int g, int b) {
        return std::abs(qRed(pixel) - r) <= 3 && std::abs(qGreen(pixel) - g) <= 3 &&
               std::abs(qBlue(pixel) - b) <= 3;
    };
    EXPECT_TRUE(near(picture.pixel(5, 126), 220, 220, 250));
    EXPECT_TRUE(near(picture.pixel(457, 100), 250, 250, 250));
    EXPECT_GT(qBlue(picture.pixel(5, 0)), qRed(picture.pixel(5, 0)) + 20);
    // A second grab, as after the window was covered, shows the same picture.
    EXPECT_EQ(d.view.grab().toImage(), picture);
    d.view.hide();
}

}  // namespace
}  // namespace orveline
