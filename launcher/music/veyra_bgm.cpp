#include "veyra_bgm.h"

#include <vector>

namespace orveline {
namespace {

// Reply capacities, in bytes including the terminating NUL.
constexpr std::uint32_t kSendMciCapacity = 512;
constexpr std::uint32_t kCdModeCapacity = 255;
constexpr std::uint32_t kMp3ModeCapacity = 30;
constexpr std::uint32_t kErrorTextCapacity = 256;

const char* const kNoCommandText =
    "\xE3\x82\xB3\xE3\x83\x9E\xE3\x83\xB3\xE3\x83\x89\xE6\x96\x87\xE5\xAD\x97\xE5\x88\x97\xE3\x81"
    "\x8C\xE6\x8C\x87\xE5\xAE\x9A\xE3\x81\x95\xE3\x82\x8C\xE3\x81\xA6\xE3\x81\x84\xE3\x81\xBE\xE3"
    "\x81\x9B\xE3\x82\x93";  // コマンド文字列が指定されていません
const char* const kNoErrorText =
    "Error (\xE6\x96\x87\xE5\xAD\x97\xE5\x88\x97\xE3\x81\x8C\xE5\x8F\x96\xE3\x82\x8C\xE3\x81\xBE"
    "\xE3\x81\x9B\xE3\x82\x93)";  // Error (文字列が取れません)

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

bool isFailure(const std::string& statusText) {
    return upper(statusText).find("ERR") != std::string::npos;
}

// Converts a reply such as " 3" or "2.0" to a number; false for anything that is not one.
bool toNumber(const std::string& text, double& value) {
    std::size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double v = 0;
    bool digits = false;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, digits = true)
        v = v * 10 + (text[i] - '0');
    if (i < n && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < n && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10, digits = true) {
            v += (text[i] - '0') * scale;
        }
    }
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (!digits || i != n) return false;
    value = negative ? -v : v;
    return true;
}

// A path is spliced between quotes into a command; a quote or NUL inside it would end the path
// early and let the rest of it read as words of the command.
bool safeToQuote(const std::string& path) {
    return path.find('"') == std::string::npos && path.find('\0') == std::string::npos;
}

}  // namespace

std::uint32_t Veyra_BGM::sendOnly(const char* command) {
    return media_.sendCommand(command, nullptr, 0);
}

std::string Veyra_BGM::sendForReply(const std::string& command, std::uint32_t capacity) {
    std::vector<char> reply(capacity, '\0');
    media_.sendCommand(command.c_str(), reply.data(), capacity);
    reply.back() = '\0';  // never trust the far side to terminate
    return std::string(reply.data());
}

std::int32_t Veyra_BGM::SendMci(const std::string& command, std::string& text) {
    if (command.empty()) {
        text = kNoCommandText;
        return -1;
    }
    std::vector<char> reply(kSendMciCapacity, '\0');
    const auto code = static_cast<std::int32_t>(
        media_.sendCommand(command.c_str(), reply.data(), kSendMciCapacity));
    if (code != 0) {
        std::vector<char> error(kErrorTextCapacity, '\0');
        if (!media_.errorText(static_cast<std::uint32_t>(code), error.data(), kErrorTextCapacity)) {
            text = kNoErrorText;
        } else {
            error.back() = '\0';
            text = error.data();
        }
        return code;
    }
    reply.back() = '\0';
    text = reply.data();
    return 0;
}

std::string Veyra_BGM::MciStatus(const std::string& command) {
    const std::int32_t code = SendMci(command, MciReply);
    if (code != 0) return "Error:" + std::to_string(code);
    return MciReply;
}

std::int32_t Veyra_BGM::MciPlay(const std::string& device, const std::string& from,
                                const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    return SendMci(command, MciReply);
}

bool Veyra_BGM::IsMP3Playing() {
    return sendForReply("status MP3Play mode", kMp3ModeCapacity).substr(0, 7) == "playing";
}

void Veyra_BGM::OpenCD() {
    sendOnly("open cdaudio");
    sendOnly("set cdaudio time format tmsf");
}

void Veyra_BGM::CheckCD() {
    CdReady = true;
    const std::string track = MciStatus("status cdaudio current track");
    if (isFailure(track)) {
        CdReady = false;
        return;
    }
    const std::string count = MciStatus("status cdaudio number of tracks");
    if (isFailure(count)) {
        CdReady = false;
        return;
    }
    const std::string mode = sendForReply("status cdaudio mode", kCdModeCapacity).substr(0, 7);
    const std::int16_t repeat = state_.BgmRepeat;
    if (repeat != 0) {
        // A current track that is no number cannot be compared: the poll fails as a whole.
        double current = 0;
        if (!toNumber(track, current)) {
            CdReady = false;
            return;
        }
        if (mode == "stopped" || current != repeat) {
            const std::string start =
                MciStatus("status cdaudio position track " + std::to_string(repeat));
            MciPlay("cdaudio", start, "");
        }
    } else if (mode == "stopped") {
        MciPlay("cdaudio", "", "");
    }
}

void Veyra_BGM::StopCD() {
    sendOnly("stop cdaudio");
    sendOnly("close cdaudio");
}

void Veyra_BGM::PlayMP3() {
    if (!safeToQuote(state_.BgmFile)) return;
    const std::string open = "open \"" + state_.BgmFile + "\" type MPEGVideo Alias MP3Play";
    if (sendOnly(open.c_str()) == 0) sendOnly("play MP3Play");
}

void Veyra_BGM::CheckMP3() {
    if (!IsMP3Playing()) {
        sendOnly("stop MP3Play");
        sendOnly("play MP3Play from 0");
    }
}

void Veyra_BGM::StopMP3() {
    sendOnly("stop MP3Play");
    sendOnly("close MP3Play");
}

void Veyra_BGM::PlayWAV() {
    // The player takes a C string: a NUL inside the path would name another file.
    if (state_.BgmFile.find('\0') != std::string::npos) return;
    if (media_.waveOutputDeviceCount() > 0) {
        media_.playSound(state_.BgmFile.c_str(), kSoundAsync | kSoundNoDefault | kSoundLoop);
    }
}

void Veyra_BGM::StopWAV() {
    media_.playSound(nullptr, 0);
}

}  // namespace orveline
