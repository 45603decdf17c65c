// A launcher platform that records what the forms ask of it: timers and hidden windows the test
// can fire, window look-ups answered from a set of titles, and an end of the process that throws
// ProcessEnded so that a test can see it and go on.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "launcher_platform.h"

namespace orveline::test {

struct ProcessEnded {};

class FakeTimer : public UiTimer {
  public:
    FakeTimer(int interval, std::function<void()> onTick)
        : interval_(interval), onTick(std::move(onTick)) {}
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool enabled() const override { return enabled_; }
    void setInterval(int milliseconds) override { interval_ = milliseconds; }
    int interval() const override { return interval_; }

    int interval_;
    bool enabled_ = false;
    std::function<void()> onTick;
};

class FakeHiddenWindow : public HiddenWindow {};

class FakePlatform : public LauncherPlatform {
  public:
    std::string commandLine() override { return command; }
    std::string ownFolder() override { return folder; }
    std::string settingsFolder() override { return folder; }
    char pathSeparator() override { return '/'; }

    bool windowExists(const std::string& title) override {
        lookups.push_back(title);
        return windows.count(title) > 0;
    }
    std::int32_t showCursor(std::int32_t show) override {
        showCursorFlags.push_back(show);
        cursorCount += show ? 1 : -1;
        return cursorCount;
    }
    bool cursorPosition(int&, int&) override { return false; }
    void messageBox(const std::string&, const std::string& text) override {
        messages.push_back(text);
    }
    bool canOpenForReading(const std::string&) override { return true; }
    std::uint32_t getPrivateProfileString(const char*, const char*, const char* defaultValue,
                                          char* buffer, std::uint32_t size, const char*) override {
        if (size == 0) return 0;
        const std::string value = defaultValue ? defaultValue : "";
        const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
        value.copy(buffer, n);
        buffer[n] = '\0';
        return static_cast<std::uint32_t>(n);
    }
    bool writePrivateProfileString(const char*, const char*, const char*, const char*) override {
        return true;
    }
    // The started program runs while programRunning says so.
    class FakeProgram : public StartedProgram {
      public:
        explicit FakeProgram(const bool& running) : running_(running) {}
        bool running() override { return running_; }

      private:
        const bool& running_;
    };
    std::unique_ptr<StartedProgram> startProgram(const std::string& path, int showState) override {
        started.push_back(path + "|" + std::to_string(showState));
        if (!startSucceeds) return nullptr;
        return std::make_unique<FakeProgram>(programRunning);
    }
    void loadRunForm(LauncherState&) override {}
    void showPreview(std::int32_t) override {}
    void showSettingsDialog(LauncherState&) override {}

    [[noreturn]] void endProcess() override {
        ++endCount;
        throw ProcessEnded{};
    }
    std::unique_ptr<UiTimer> createTimer(int interval, std::function<void()> onTick) override {
        auto timer = std::make_unique<FakeTimer>(interval, std::move(onTick));
        timers.push_back(timer.get());
        return timer;
    }
    std::unique_ptr<HiddenWindow> createHiddenWindow(const std::string& title,
                                                     std::function<void()> onClose) override {
        hiddenWindows[title] = std::move(onClose);
        return std::make_unique<FakeHiddenWindow>();
    }
    void quitMessageLoop() override { ++quitCount; }

    std::string command = "/s";
    std::string folder = "/opt/orveline";
    std::set<std::string> windows;
    bool startSucceeds = true;
    bool programRunning = true;
    std::int32_t cursorCount = 0;

    std::vector<std::string> lookups;
    std::vector<std::int32_t> showCursorFlags;
    std::vector<std::string> messages;
    std::vector<std::string> started;
    std::vector<FakeTimer*> timers;
    std::map<std::string, std::function<void()>> hiddenWindows;
    int endCount = 0;
    int quitCount = 0;
};

}  // namespace orveline::test
