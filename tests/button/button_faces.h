// The still faces that the picture test shows: each button is driven into its state through the
// control's own hooks, then its pointer poll is stopped so that the picture holds.
#pragma once

#include "command.h"

namespace orveline::testing {

struct Face {
    const char* caption;
    int width;   // twips
    int height;  // twips
};

// Normal, HighLight, Selected, Pressed, Disable, HighLightSelect reached from Selected (white at
// the top) and from a click (lavender grey at the top), a low button, and a hidden face.
inline constexpr Face kFaces[] = {
    {"N", 1095, 375},   {"HL", 1095, 375},   {"S", 1095, 375},  {"P", 1095, 375},  {"D", 1095, 375},
    {"HLS", 1095, 375}, {"HLS2", 1095, 375}, {"...", 435, 315}, {"V0", 1095, 375},
};
inline constexpr int kFaceCount = 9;
inline constexpr int kFaceSpacing = 85;  // pixels between the buttons' left edges
inline constexpr int kFaceMargin = 10;

inline void DriveFace(Command& c, int face) {
    c.Initialize();
    switch (face) {
        case 1:
            c.UserControl_MouseMove(0, 0, 1, 1);
            break;
        case 2:
            c.UserControl_GotFocus();
            break;
        case 3:
            c.UserControl_MouseDown(1, 0, 1, 1);
            break;
        case 4:
            c.Enabled(false);
            break;
        case 5:
            c.UserControl_GotFocus();
            c.UserControl_MouseMove(0, 0, 1, 1);
            break;
        case 6:
            c.UserControl_MouseMove(0, 0, 1, 1);
            c.UserControl_GotFocus();
            c.UserControl_MouseDown(1, 0, 1, 1);
            c.UserControl_MouseUp(1, 0, 1, 1);
            break;
        case 8:
            c.Visible(0);
            break;
        default:
            break;
    }
}

}  // namespace orveline::testing
