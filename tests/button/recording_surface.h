// A button surface that records what the control draws and asks for.
#pragma once

#include <string>
#include <vector>

#include "command.h"

namespace orveline::testing {

struct RecordingSurface : CommandSurface {
    int width = 1095;
    int height = 375;
    PointerPlace pointer = PointerPlace::OwnWindow;

    std::vector<StateImage> faces;  // one per drawn face (per piece set)
    std::vector<FramePiece> pieces;
    std::vector<GradientColour> gradientTops;
    std::vector<std::string> calls;  // clear, gradient, piece, refresh in order
    std::vector<std::string> changedKeys;
    int timerInterval = 0;
    bool opaque = true;
    CaptionElement caption;

    int WidthTwips() const override { return width; }
    int HeightTwips() const override { return height; }
    void Clear() override { calls.push_back("clear"); }
    void FillGradient(const GradientColour& top, const GradientColour&) override {
        gradientTops.push_back(top);
        calls.push_back("gradient");
    }
    void DrawPiece(StateImage image, const TwipsRect& source,
                   const TwipsRect& destination) override {
        if (calls.empty() || calls.back() != "piece") faces.push_back(image);
        pieces.push_back({source, destination});
        calls.push_back("piece");
    }
    void Refresh() override { calls.push_back("refresh"); }
    void CaptionChanged(const CaptionElement& c) override { caption = c; }
    void SetFaceOpaque(bool o) override { opaque = o; }
    void StartMouseTimer(int interval) override { timerInterval = interval; }
    PointerPlace PointerPlaceNow() override { return pointer; }
    void PropertyChanged(const std::string& key) override { changedKeys.push_back(key); }

    void Forget() {
        faces.clear();
        pieces.clear();
        gradientTops.clear();
        calls.clear();
        changedKeys.clear();
    }
};

}  // namespace orveline::testing
