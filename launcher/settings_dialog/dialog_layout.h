// Layout of the settings dialog "<Orveline>": every control's place in twips (15 to the pixel),
// relative to its container. Both platforms' views build the form from here, with the captions
// of texts.h in the user's language; the places are the same in every language.
#pragma once

#include "texts.h"

namespace orveline::dialog_layout {

struct Place {
    int Left;
    int Top;
    int Width;
    int Height;
};

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int Px(int twips) {
    return twips / kTwipsPerPixel;
}
inline constexpr int Twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

inline constexpr char kTitle[] = "<Orveline>";
inline constexpr Place kClient{0, 0, 7185, 3780};

// On the form.
inline constexpr Place kPanel{180, 240, 6795, 2535};  // Pic_C(0)
inline constexpr Place kCmdSet{4800, 3000, 1095, 375};
inline constexpr Place kCmdCan{5940, 3000, 1035, 375};
inline constexpr Place kCmdEtc{2880, 3000, 1875, 375};

// Inside the panel.
inline constexpr Place kHeadingFrame{300, 300, 1695, 315};   // Shape3(3)
inline constexpr Place kHeading{300, 360, 1665, 195};        // lbl(15)
inline constexpr Place kRepeat{1380, 780, 615, 300};         // BGM_Repeat
inline constexpr Place kRepeatCaption{2040, 840, 990, 195};  // lbl(14)
inline constexpr Place kCmdBgm{540, 1740, 435, 315};
inline constexpr Place kFileName{1020, 1740, 5355, 435};  // lbl_Fname
// Img_BGM and lbl_BGM, indexed by BgmKind: 0 none, 1 audio CD, 2 file.
inline constexpr Place kOptionMark[3] = {
    {300, 1140, 195, 195}, {300, 840, 195, 195}, {300, 1440, 195, 195}};
inline constexpr Place kOptionLabel[3] = {
    {540, 1140, 345, 195}, {540, 840, 645, 195}, {540, 1440, 900, 195}};
// The pixels a label's caption may take before it meets the next control of its row, with a
// pixel to spare: the audio CD's meets the track combo box, the others the panel's edge. A longer
// caption (an English one can be) is drawn narrower, never covered.
inline constexpr int CaptionRoom(const Place& label, int nextLeft) {
    return Px(nextLeft - label.Left) - 1;
}
inline constexpr int kOptionRoom[3] = {CaptionRoom(kOptionLabel[0], kPanel.Width),
                                       CaptionRoom(kOptionLabel[1], kRepeat.Left),
                                       CaptionRoom(kOptionLabel[2], kPanel.Width)};
inline constexpr int kRepeatCaptionRoom = CaptionRoom(kRepeatCaption, kPanel.Width);
// The option marks are 12 x 12 pixels.
inline constexpr int kMarkPixels = 12;

inline constexpr char kCaptionBrowse[] = "...";
// The captions of lbl_BGM, indexed by BgmKind.
inline constexpr Text kOptionText[3] = {Text::OptionNone, Text::OptionCd, Text::OptionFile};

// Where a hit at panel pixel (x, y) lands: the index of an option mark or label, or -1.
inline int OptionAt(int x, int y) {
    for (int i = 0; i < 3; ++i) {
        for (const Place& p : {kOptionMark[i], kOptionLabel[i]}) {
            if (x >= Px(p.Left) && x < Px(p.Left + p.Width) && y >= Px(p.Top) &&
                y < Px(p.Top + p.Height))
                return i;
        }
    }
    return -1;
}

}  // namespace orveline::dialog_layout
