// A launcher platform for the start-up tests: files live in memory (the private-profile calls
// go through our own profile code over them), window look-ups are answered from a set of titles,
// and every call is recorded in order. Ending the process throws ProcessEnded.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher_platform.h"
#include "launcher_state.h"
#include "profile_file.h"

namespace orveline::test {

struct ProcessEnded {};

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
    std::unique_ptr<StartedProgram> startProgram(const std::string&, int) override {
        return nullptr;
    }

    void loadRunForm(LauncherState&) override { log("runForm"); }
    void showPreview(std::int32_t host) override { log("preview " + std::to_string(host)); }
    void showSettingsDialog(LauncherState&) override { log("dialog"); }

    [[noreturn]] void endProcess() override {
        log("end");
        throw ProcessEnded{};
    }
    std::unique_ptr<UiTimer> createTimer(int, std::function<void()>) override { return nullptr; }
    std::unique_ptr<HiddenWindow> createHiddenWindow(const std::string&,
                                                     std::function<void()>) override {
        return nullptr;
    }
    void quitMessageLoop() override {}

    // The calls Main made, without the settings reads.
    std::vector<std::string> steps() const {
        std::vector<std::string> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [](const std::string& c) { return c.rfind("read ", 0) != 0; });
        return out;
    }
    bool readSettings() const {
        return std::any_of(calls.begin(), calls.end(),
                           [](const std::string& c) { return c.rfind("read ", 0) == 0; });
    }

    struct Write {
        std::string section, key, value, file;
    };

    std::string command;
    std::string folder = "/opt/orveline";
    char separator = '/';
    bool cp932 = false;
    std::set<std::string> windows;
    std::map<std::string, std::string> files;  // path -> bytes
    bool writable = true;
    bool readFails = false;
    bool commandLineFails = false;
    std::int32_t cursorCount = 0;

    std::vector<std::string> calls;
    std::vector<std::string> messages;
    std::vector<std::string> opened;
    std::vector<Write> writes;

  private:
    void log(const std::string& call) { calls.push_back(call); }
};

}  // namespace orveline::test
