// A media interface that answers from a script and records every call, as "command|capacity".
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "media_interface.h"

namespace orveline::test {

class FakeMedia : public MediaInterface {
  public:
    struct Answer {
        std::uint32_t code = 0;
        std::string reply;
    };

    std::map<std::string, Answer> answers;  // by command; unlisted commands succeed silently
    std::map<std::uint32_t, std::string> errorTexts;
    std::uint32_t devices = 1;
    std::vector<std::string> calls;

    std::uint32_t sendCommand(const char* command, char* reply, std::uint32_t capacity) override {
        calls.push_back(std::string(command) + "|" + std::to_string(capacity));
        const auto found = answers.find(command);
        if (found == answers.end()) return 0;
        if (reply != nullptr && capacity > 0) {
            // Fills the whole buffer, as a careless device might, without a terminating NUL
            // when the reply is too long.
            const std::string& text = found->second.reply;
            std::memset(reply, 'x', capacity);
            std::memcpy(reply, text.c_str(), std::min<std::size_t>(text.size() + 1, capacity));
        }
        return found->second.code;
    }

    bool errorText(std::uint32_t code, char* text, std::uint32_t capacity) override {
        calls.push_back("errorText " + std::to_string(code) + "|" + std::to_string(capacity));
        const auto found = errorTexts.find(code);
        if (found == errorTexts.end()) return false;
        std::strncpy(text, found->second.c_str(), capacity);
        return true;
    }

    bool playSound(const char* file, std::uint32_t flags) override {
        calls.push_back("playSound " + std::string(file ? file : "(none)") + " " +
                        std::to_string(flags));
        return true;
    }

    std::uint32_t waveOutputDeviceCount() override {
        calls.push_back("waveOutGetNumDevs");
        return devices;
    }
};

}  // namespace orveline::test
