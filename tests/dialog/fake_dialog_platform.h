// A recording stand-in for the services around the settings dialog.
#pragma once

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "settings_dialog.h"

namespace orveline {

struct Write {
    std::string section, key, value, file;
    bool operator==(const Write& o) const {
        return std::tie(section, key, value, file) == std::tie(o.section, o.key, o.value, o.file);
    }
};

struct FakePlatform : SettingsDialogPlatform {
    std::vector<Write> writes;
    int failingWrite = -1;  // index of a write that fails, -1 for none
    std::optional<std::string> chosenFile;
    std::vector<FileChooserRequest> chooserRequests;
    std::vector<std::string> opened;
    std::vector<MousePointer> pointers;
    std::vector<std::string> messages;
    std::vector<std::pair<ScreenRect, ScreenRect>> zooms;
    bool cursorKnown = true;
    Language language = Language::Japanese;
    int cursorX = 100, cursorY = 50;

    bool WriteIni(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& file) override {
        writes.push_back({section, key, value, file});
        return static_cast<int>(writes.size()) - 1 != failingWrite;
    }
    std::string SettingsFile() override { return "/home/u/.config/orveline/Orveline.ini"; }
    std::optional<std::string> ChooseFile(const FileChooserRequest& request) override {
        chooserRequests.push_back(request);
        return chosenFile;
    }
    void OpenWebPage(const std::string& address) override { opened.push_back(address); }
    bool CursorPosition(int& x, int& y) override {
        x = cursorX;
        y = cursorY;
        return cursorKnown;
    }
    void SetMousePointer(MousePointer pointer) override { pointers.push_back(pointer); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    Language UserLanguage() override { return language; }
    void DrawAnimatedRects(const ScreenRect& from, const ScreenRect& to) override {
        zooms.emplace_back(from, to);
    }
};

}  // namespace orveline
