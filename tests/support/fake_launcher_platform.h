// The one LauncherPlatform of the unit tests. Every call is logged in order ("find Veyra_Main",
// "start /opt/orveline/Orveline.dll --window-id 0x2a|1|ends", "end", ...); files live in memory
// and the private-profile calls go through our own profile code over them; window look-ups are
// answered from sets of titles. The test fires what the runtime would: timers (tick), close
// requests of hidden windows (close) and the end of a started program (programRunning).
// Ending the process throws ProcessEnded, so a test sees it and goes on.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher_platform.h"
#include "launcher_state.h"
#include "profile_file.h"

namespace orveline::test {

struct ProcessEnded {};

class FakeTimer : public UiTimer {
  public:
    FakeTimer(int interval, std::function<void()> onTick)
        : interval_(interval), onTick_(std::move(onTick)) {}
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool enabled() const override { return enabled_; }
    void setInterval(int milliseconds) override { interval_ = milliseconds; }
    int interval() const override { return interval_; }
    // One tick, as the message loop would deliver it while the timer runs.
    void tick() {
        if (enabled_) onTick_();
    }

  private:
    int interval_;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

class FakeLauncherPlatform : public LauncherPlatform {
  public:
    std::string commandLine() override {
        log("commandLine");
        if (commandLineFails) throw std::runtime_error("no command line");
        return command;
    }
    std::string ownFolder() override { return folder; }
    std::string settingsFolder() override { return folder; }
    char pathSeparator() override { return separator; }
    bool isLeadByte(unsigned char b) override {
        return cp932 && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
    }

    bool windowExists(const std::string& title) override {
        log("find " + title);
        return windows.count(title) > 0;
    }
    bool takeInstanceLock() override {
        log("instanceLock");
        return instanceLockFree;
    }
    bool childWindowExists(const std::string& title, std::uint32_t host) override {
        log("find " + title + " in " + std::to_string(host));
        return childWindows.count(host) > 0 && childWindows[host].count(title) > 0;
    }
    std::int32_t showCursor(std::int32_t show) override {
        log("showCursor " + std::to_string(show));
        cursorCount += show ? 1 : -1;
        return cursorCount;
    }
    bool cursorPosition(int&, int&) override { return false; }
    void messageBox(const std::string& caption, const std::string& text) override {
        log("message");
        messages.push_back(caption + "|" + text);
    }
    Language userLanguage() override { return language; }

    bool canOpenForReading(const std::string& path) override {
        opened.push_back(path);
        return files.count(path) > 0;
    }
    std::uint32_t getPrivateProfileString(const char* section, const char* key,
                                          const char* defaultValue, char* buffer,
                                          std::uint32_t size, const char* file) override {
        log(std::string("read ") + key);
        if (readFails) throw std::runtime_error("read failed");
        const auto found = files.find(file);
        return ProfileGetStringFromBytes(found == files.end() ? std::string() : found->second,
                                         found != files.end(), section, key, defaultValue, buffer,
                                         size);
    }
    bool writePrivateProfileString(const char* section, const char* key, const char* value,
                                   const char* file) override {
        writes.push_back({section, key, value, file});
        if (!writable) return false;
        if (auto bytes = ProfileWriteToBytes(files[file], section, key, value)) {
            files[file] = *bytes;
        }
        return true;
    }

    // The started program runs while programRunning says so.
    class FakeProgram : public StartedProgram {
      public:
        FakeProgram(const bool& running, FakeLauncherPlatform& platform)
            : running_(running), platform_(platform) {}
        bool running() override { return running_; }
        void stop() override { platform_.log("stop"); }

      private:
        const bool& running_;
        FakeLauncherPlatform& platform_;
    };
    std::unique_ptr<StartedProgram> startProgram(const std::string& path,
                                                 const std::vector<std::string>& arguments,
                                                 int showState, bool endsWithLauncher) override {
        std::string started = path;
        for (const std::string& argument : arguments) started += " " + argument;
        log("start " + started + "|" + std::to_string(showState) +
            (endsWithLauncher ? "|ends" : ""));
        if (!startSucceeds) return nullptr;
        return std::make_unique<FakeProgram>(programRunning, *this);
    }
    bool holdMusicLock() override {
        log("musicLock");
        return musicLockFree;
    }

    void loadRunForm(LauncherState&, const RunPlacement& placement) override {
        log("runForm");
        runForms.push_back(placement);
    }
    void showPreview(std::int32_t host) override { log("preview " + std::to_string(host)); }
    void showSettingsDialog(LauncherState&) override { log("dialog"); }

    [[noreturn]] void endProcess() override {
        log("end");
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
        return std::make_unique<HiddenWindow>();
    }
    void quitMessageLoop() override { log("quit"); }

    // A close request from elsewhere to the hidden window of that title.
    void close(const std::string& title) { hiddenWindows.at(title)(); }

    // The logged calls that start with prefix, or all but the settings reads.
    std::vector<std::string> callsOf(const std::string& prefix) const {
        std::vector<std::string> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
        return out;
    }
    std::vector<std::string> steps() const {
        std::vector<std::string> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [](const std::string& c) { return c.rfind("read ", 0) != 0; });
        return out;
    }
    bool readSettings() const { return !callsOf("read ").empty(); }
    std::size_t count(const std::string& call) const {
        return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
    }

    struct Write {
        std::string section, key, value, file;
    };

    // What the platform answers.
    std::string command;
    std::string folder = "/opt/orveline";
    char separator = '/';
    bool cp932 = false;
    std::set<std::string> windows;                                // top-level titles
    std::map<std::uint32_t, std::set<std::string>> childWindows;  // host -> child titles
    std::map<std::string, std::string> files;                     // path -> bytes
    bool writable = true;
    bool readFails = false;
    bool commandLineFails = false;
    bool startSucceeds = true;
    bool programRunning = true;
    bool musicLockFree = true;
    bool instanceLockFree = true;
    std::int32_t cursorCount = 0;
    Language language = Language::Japanese;  // the language the user reads

    // What it was asked.
    std::vector<std::string> calls;
    std::vector<std::string> messages;
    std::vector<std::string> opened;
    std::vector<Write> writes;
    std::vector<RunPlacement> runForms;
    std::vector<FakeTimer*> timers;
    std::map<std::string, std::function<void()>> hiddenWindows;

  private:
    void log(const std::string& call) { calls.push_back(call); }
};

}  // namespace orveline::test
