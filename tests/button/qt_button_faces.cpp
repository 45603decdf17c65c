// Shows every face of the push button in one window, "Veyra.Command faces", for pictures.
#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <vector>

#include "button_faces.h"
#include "qt_command.h"

int main(int argc, char** argv) {
    using namespace orveline;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Veyra.Command faces");
    window.setFixedSize(testing::kFaceMargin * 2 + testing::kFaceSpacing * testing::kFaceCount, 45);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0xEC, 0xE9, 0xD8));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    std::vector<QtCommandButton*> buttons;
    for (int i = 0; i < testing::kFaceCount; ++i) {
        const testing::Face& face = testing::kFaces[i];
        auto* button = new QtCommandButton(&window);
        PropertyStore saved;
        saved.WriteProperty("Caption", std::string(face.caption), std::string("Command1"));
        button->Control().UserControl_ReadProperties(saved);
        button->setGeometry(testing::kFaceMargin + i * testing::kFaceSpacing, testing::kFaceMargin,
                            face.width / kTwipsPerPixel, face.height / kTwipsPerPixel);
        buttons.push_back(button);
    }
    window.show();
    for (int i = 0; i < testing::kFaceCount; ++i) {
        testing::DriveFace(buttons[static_cast<std::size_t>(i)]->Control(), i);
        buttons[static_cast<std::size_t>(i)]->StopPointerPoll();
    }
    return app.exec();
}
