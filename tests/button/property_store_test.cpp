#include "property_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command.h"
#include "recording_surface.h"

namespace orveline {
namespace {

using testing::RecordingSurface;

// A store that also lists the keys in the order the control asks for them.
struct LoggingStore : PropertyStore {
    mutable std::vector<std::string> reads;
    std::vector<std::string> writes;
    PropertyValue ReadProperty(const std::string& key,
                               const PropertyValue& fallback) const override {
        reads.push_back(key);
        return PropertyStore::ReadProperty(key, fallback);
    }
    void WriteProperty(const std::string& key, const PropertyValue& value,
                       const PropertyValue& fallback) override {
        writes.push_back(key);
        PropertyStore::WriteProperty(key, value, fallback);
    }
};

TEST(ButtonPropertyStore, KeysAreReadAndWrittenInTheirOrders) {
    RecordingSurface surface;
    Command command(surface);
    LoggingStore store;
    command.UserControl_ReadProperties(store);
    command.UserControl_WriteProperties(store);
    EXPECT_EQ(store.reads, (std::vector<std::string>{"Enabled", "Caption", "Font", "FirstRun",
                                                     "FontColour", "Visible"}));
    EXPECT_EQ(store.writes, (std::vector<std::string>{"Enabled", "Caption", "FirstRun", "Font",
                                                      "FontColour", "Visible"}));
}

TEST(ButtonPropertyStore, EmptyStoreLoadsAnEnabledBlackCommand1) {
    RecordingSurface surface;
    Command command(surface);
    PropertyStore store;
    command.UserControl_ReadProperties(store);
    EXPECT_TRUE(command.EnabledValue());
    EXPECT_EQ(command.Caption(), "Command1");
    EXPECT_EQ(command.LblMsg().Colour, 0u);
    EXPECT_EQ(command.FirstRun(), 1);
    EXPECT_TRUE(command.FaceOpaque());
    EXPECT_EQ(*command.Font(), store.AmbientFont);
    EXPECT_EQ(surface.faces.back(), StateImage::Normal);  // the read's final ResetFace
}

TEST(ButtonPropertyStore, DefaultsAreNotStored) {
    RecordingSurface surface;
    Command command(surface);
    PropertyStore loaded;
    command.UserControl_ReadProperties(loaded);
    PropertyStore saved;
    command.UserControl_WriteProperties(saved);
    EXPECT_TRUE(saved.Entries().empty());
}

TEST(ButtonPropertyStore, RoundTripKeepsEveryChangedProperty) {
    RecordingSurface surface;
    Command original(surface);
    PropertyStore empty;
    original.UserControl_ReadProperties(empty);
    original.Caption("ｷｬﾝｾﾙ");
    auto font = std::make_shared<CaptionFont>(BuiltInCaptionFont());
    font->Size = 12;
    original.Font(font);
    original.FontColour(0x123456);
    original.Visible(0);
    original.Enabled(false);
    PropertyStore saved;
    original.UserControl_WriteProperties(saved);

    RecordingSurface otherSurface;
    Command copy(otherSurface);
    copy.UserControl_ReadProperties(saved);
    EXPECT_FALSE(copy.EnabledValue());
    EXPECT_EQ(copy.Caption(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(copy.Font()->Size, 12);
    EXPECT_EQ(copy.LblMsg().Colour, 0x123456u);
    EXPECT_FALSE(copy.FaceOpaque());
    EXPECT_FALSE(otherSurface.opaque);
    EXPECT_EQ(copy.FirstRun(), 1);
}

TEST(ButtonPropertyStore, CaptionCommandSurvivesTheRoundTrip) {
    // The caption keeps one default both ways, so no text comes back changed.
    for (const char* text : {"Command", "Command1", ""}) {
        RecordingSurface surface;
        Command command(surface);
        command.Caption(text);
        PropertyStore saved;
        command.UserControl_WriteProperties(saved);
        RecordingSurface s2;
        Command copy(s2);
        copy.UserControl_ReadProperties(saved);
        EXPECT_EQ(copy.Caption(), text);
    }
}

TEST(ButtonPropertyStore, TextDefaultsCountAsTheirNumbers) {
    struct Case {
        PropertyValue value;
        PropertyValue fallback;
        bool same;
    };
    const std::vector<Case> cases = {
        {std::int32_t{1}, std::string("1"), true},
        {std::int32_t{0}, std::string("0"), true},
        {std::int32_t{2}, std::string("1"), false},
        {true, true, true},
        {false, true, false},
        {std::string("a"), std::string("a"), true},
        {std::string("1"), std::string("1.0"), false},
        {std::int32_t{0}, std::string("x"), false},
    };
    for (const Case& c : cases) EXPECT_EQ(SameAsDefault(c.value, c.fallback), c.same);
}

TEST(ButtonPropertyStore, UnreadableStoredValuesLeaveThePropertyAlone) {
    RecordingSurface surface;
    Command command(surface);
    PropertyStore store;
    store.WriteProperty("FontColour", std::string("purple"), std::string("0"));
    store.WriteProperty("Visible", std::string("99999"), std::string("1"));
    store.WriteProperty("FirstRun", std::int32_t{300}, std::string("1"));
    store.WriteProperty("Enabled", std::string("maybe"), true);
    command.UserControl_ReadProperties(store);
    EXPECT_EQ(command.LblMsg().Colour, 0u);
    EXPECT_TRUE(command.FaceOpaque());
    EXPECT_EQ(command.FirstRun(), 0);
    EXPECT_FALSE(command.EnabledValue());
}

}  // namespace
}  // namespace orveline
