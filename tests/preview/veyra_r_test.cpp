#include "veyra_r.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fake_launcher_platform.h"

namespace orveline {
namespace {

using FakePlatform = test::FakeLauncherPlatform;
using test::ProcessEnded;

// Records the form's window as the platform would see it.
class RecordingView : public PreviewView {
  public:
    bool windowExists(std::int32_t window) override { return hosts.count(window) > 0; }
    bool windowRect(std::int32_t window, WindowRect& rect) override {
        const auto found = hosts.find(window);
        if (found == hosts.end()) return false;
        rect = found->second;
        return true;
    }
    int twipsPerPixelX() override { return tppX; }
    int twipsPerPixelY() override { return tppY; }
    void loadForm() override { calls.push_back("load"); }
    std::uint32_t formStyle() override { return style; }
    void setFormStyle(std::uint32_t value) override {
        style = value;
        calls.push_back("style");
    }
    void setFormParent(std::int32_t host) override {
        parent = host;
        calls.push_back("parent");
    }
    void moveForm(int x, int y, int width, int height) override {
        form = {x, y, width, height};
        calls.push_back("moveForm");
    }
    void movePicture(int x, int y, int width, int height) override {
        picture = {x, y, width, height};
        calls.push_back("movePicture");
    }
    void showForm() override { calls.push_back("show"); }
    void postCloseToForm() override { calls.push_back("postClose"); }

    std::map<std::int32_t, WindowRect> hosts;
    int tppX = 15;
    int tppY = 15;
    std::uint32_t style = 0x86000000;  // popup, visible-less form as created
    std::int32_t parent = 0;
    std::vector<int> form;
    std::vector<int> picture;
    std::vector<std::string> calls;
};

// Form and picture both get the host's outer size in pixels; a size beyond the 16-bit twips
// range becomes 0.
TEST(PreviewTest, FormAndPictureTakeTheHostsOuterSize) {
    struct Case {
        WindowRect host;
        int tpp;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {{100, 50, 252, 162}, 15, {0, 0, 152, 112}}, {{0, 0, 300, 200}, 15, {0, 0, 300, 200}},
        {{0, 0, 3000, 200}, 15, {0, 0, 0, 200}},     {{0, 0, 2184, 2185}, 15, {0, 0, 2184, 0}},
        {{-10, -10, 10, 10}, 12, {0, 0, 20, 20}},    {{0, 0, 2730, 100}, 12, {0, 0, 2730, 100}},
        {{50, 50, 40, 40}, 15, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.host.right - c.host.left) + "x" +
                     std::to_string(c.host.bottom - c.host.top));
        FakePlatform platform;
        RecordingView view;
        view.hosts[4242] = c.host;
        view.tppX = view.tppY = c.tpp;
        Veyra_R preview(platform, view);
        preview.ShowPreview(4242);
        EXPECT_EQ(view.form, c.expected);
        EXPECT_EQ(view.picture, c.expected);
        EXPECT_EQ(view.parent, 4242);
        EXPECT_EQ(platform.count("end"), 0u);
    }
}

TEST(PreviewTest, FormBecomesAChildOfTheHostBeforeItIsPlacedAndShown) {
    FakePlatform platform;
    RecordingView view;
    view.hosts[77] = {0, 0, 152, 112};
    Veyra_R preview(platform, view);
    preview.ShowPreview(77);
    EXPECT_EQ(view.style, 0x86000000u | kChildWindowStyle);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"load", "style", "parent", "moveForm",
                                                    "movePicture", "show"}));
    EXPECT_EQ(preview.WidthTwips, 2280);
    EXPECT_EQ(preview.HeightTwips, 1680);
}

TEST(PreviewTest, HostThatNamesNoWindowEndsTheProcessAtOnce) {
    for (const std::int32_t host : {0, 1234, -5}) {
        SCOPED_TRACE(host);
        FakePlatform platform;
        RecordingView view;
        view.hosts[99] = {0, 0, 152, 112};
        Veyra_R preview(platform, view);
        EXPECT_THROW(preview.ShowPreview(host), ProcessEnded);
        EXPECT_TRUE(view.calls.empty());
    }
}

TEST(PreviewTest, UnloadPostsTheCloseAndEndsTheMessageLoop) {
    FakePlatform platform;
    RecordingView view;
    view.hosts[5] = {0, 0, 300, 200};
    Veyra_R preview(platform, view);
    preview.ShowPreview(5);
    view.calls.clear();
    preview.Form_Unload();
    EXPECT_EQ(view.calls, std::vector<std::string>{"postClose"});
    EXPECT_EQ(platform.count("quit"), 1u);
}

TEST(PreviewTest, TwipsOutsideTheSixteenBitRangeGiveNothing) {
    EXPECT_EQ(TwipsOf(2184, 15), 32760);
    EXPECT_EQ(TwipsOf(2185, 15), std::nullopt);
    EXPECT_EQ(TwipsOf(-2184, 15), -32760);
    EXPECT_EQ(TwipsOf(-2185, 15), std::nullopt);
    EXPECT_EQ(TwipsOf(4000000000LL, 15), std::nullopt);
}

}  // namespace
}  // namespace orveline
