#include "mci_interpreter.h"

#include <cstdio>

#include "mci_text.h"

namespace orveline {
namespace {

constexpr std::int32_t kSectorsPerSecond = 75;
constexpr std::int32_t kLeadInSectors = 150;  // 00:02:00, where the drive counts track 1 from

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Decimal integer with an optional sign; false for anything else or an absurd size.
bool toInteger(const std::string& text, std::int64_t& value) {
    std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
    if (i == text.size() || text.size() - i > 12) return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = text[0] == '-' ? -v : v;
    return true;
}

std::string twoDigits(std::int32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(v));
    return text;
}

std::string msfText(std::int32_t sectors) {
    return twoDigits(sectors / (60 * kSectorsPerSecond)) + ":" +
           twoDigits(sectors / kSectorsPerSecond % 60) + ":" +
           twoDigits(sectors % kSectorsPerSecond);
}

std::int32_t discEnd(const std::vector<DiscTrack>& tracks) {
    return tracks.back().start + tracks.back().length;
}

// The 1-based track that holds `sector`, the last one past the end.
std::size_t trackAt(const std::vector<DiscTrack>& tracks, std::int32_t sector) {
    std::size_t n = 1;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (sector >= tracks[i].start) n = i + 1;
    }
    return n;
}

// Removes the flags that change nothing here ("wait": commands finish at once; "notify": there
// is no callback window).
std::vector<std::string> withoutFlags(const std::vector<std::string>& words) {
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string w = lower(words[i]);
        if (i >= 2 && (w == "wait" || w == "notify")) continue;
        kept.push_back(words[i]);
    }
    return kept;
}

}  // namespace

MciInterpreter::MciInterpreter(std::unique_ptr<MediaBackend> backend)
    : backend_(std::move(backend)) {}

MciInterpreter::~MciInterpreter() {
    // Devices stop before the backend that plays them goes.
    devices_.clear();
}

std::uint32_t MciInterpreter::sendCommand(const char* command, char* reply,
                                          std::uint32_t capacity) {
    if (reply != nullptr && capacity > 0) reply[0] = '\0';
    if (command == nullptr) return mci::kMissingCommandString;
    std::vector<std::string> words;
    std::uint32_t error = mci::splitWords(command, words);
    if (error != mci::kOk) return error;
    std::string text;
    error = run(withoutFlags(words), text);
    if (error != mci::kOk) return error;
    return mci::writeReply(text, reply, capacity);
}

bool MciInterpreter::errorText(std::uint32_t code, char* text, std::uint32_t capacity) {
    const char* description = mci::errorDescription(code);
    if (description == nullptr || text == nullptr || capacity == 0) return false;
    std::string clipped(description);
    if (clipped.size() >= capacity) clipped.resize(capacity - 1);
    mci::writeReply(clipped, text, capacity);
    return true;
}

bool MciInterpreter::playSound(const char* file, std::uint32_t flags) {
    return backend_->playSound(file, flags);
}

std::uint32_t MciInterpreter::waveOutputDeviceCount() {
    return backend_->waveOutputDeviceCount();
}

std::uint32_t MciInterpreter::run(const Words& words, std::string& reply) {
    if (words.empty()) return mci::kMissingCommandString;
    const std::string verb = lower(words[0]);
    const bool known = verb == "open" || verb == "close" || verb == "play" || verb == "stop" ||
                       verb == "status" || verb == "set" || verb == "pause" || verb == "resume" ||
                       verb == "seek";
    if (!known) return mci::kUnrecognizedCommand;
    if (words.size() < 2) return mci::kMissingDeviceName;
    if (verb == "open") return open(words);
    if (verb == "close") return close(words);
    const auto found = devices_.find(lower(words[1]));
    if (found == devices_.end()) return mci::kInvalidDeviceName;
    Device& device = found->second;
    if (verb == "play") return play(device, words);
    if (verb == "status") return status(device, words, reply);
    if (verb == "set") return set(device, words);
    if (verb == "stop") {
        if (words.size() > 2) return mci::kUnrecognizedKeyword;
        if (device.cd) device.cd->stop();
        if (device.music) device.music->stop();
        return mci::kOk;
    }
    return mci::kUnsupportedFunction;
}

std::uint32_t MciInterpreter::open(const Words& words) {
    const std::string& element = words[1];
    std::string type, alias;
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::string key = lower(words[i]);
        if (key == "shareable") continue;
        if (key != "type" && key != "alias") return mci::kUnrecognizedKeyword;
        if (i + 1 >= words.size()) return mci::kMissingParameter;
        (key == "type" ? type : alias) = words[++i];
    }
    type = lower(type);
    bool cd = false;
    if (type.empty()) {
        const std::size_t dot = element.rfind('.');
        const std::string extension =
            dot == std::string::npos ? "" : lower(element.substr(dot + 1));
        if (lower(element) == "cdaudio") {
            cd = true;
        } else if (dot == std::string::npos) {
            return mci::kInvalidDeviceName;
        } else if (extension != "mp3" && extension != "wav") {
            return mci::kExtensionNotFound;
        }
    } else if (type == "cdaudio") {
        cd = true;
    } else if (type != "mpegvideo" && type != "waveaudio") {
        return mci::kInvalidDeviceName;
    }
    const std::string key = lower(alias.empty() ? element : alias);
    if (devices_.count(key) != 0) {
        return alias.empty() ? mci::kDeviceOpen : mci::kDuplicateAlias;
    }
    Device device;
    std::uint32_t error = mci::kOk;
    if (cd) {
        device.cd = backend_->openCdDrive(error);
        device.format = TimeFormat::Msf;
    } else {
        device.music = backend_->openMusicFile(element, error);
    }
    if (!device.cd && !device.music) return error != mci::kOk ? error : mci::kCannotLoadDriver;
    devices_.emplace(key, std::move(device));
    return mci::kOk;
}

std::uint32_t MciInterpreter::close(const Words& words) {
    if (words.size() > 2) return mci::kUnrecognizedKeyword;
    const std::string key = lower(words[1]);
    if (key == "all") {
        devices_.clear();
        return mci::kOk;
    }
    return devices_.erase(key) != 0 ? mci::kOk : mci::kInvalidDeviceName;
}

std::uint32_t MciInterpreter::play(Device& device, const Words& words) {
    std::string from, to;
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::string key = lower(words[i]);
        if (key != "from" && key != "to") return mci::kUnrecognizedKeyword;
        if (i + 1 >= words.size()) return mci::kMissingParameter;
        (key == "from" ? from : to) = words[++i];
    }
    if (device.music) {
        if (!to.empty()) return mci::kUnsupportedFunction;
        std::int64_t ms = -1;
        if (!from.empty() && (!toInteger(from, ms) || ms < 0)) return mci::kBadInteger;
        return device.music->play(ms) ? mci::kOk : mci::kInternal;
    }
    std::vector<DiscTrack> tracks;
    if (!device.cd->readTracks(tracks) || tracks.empty()) return mci::kDeviceNotReady;
    std::int32_t start = device.cd->position();
    std::int32_t end = discEnd(tracks);
    if (!from.empty()) {
        if (const std::uint32_t error = cdPosition(device, tracks, from, start)) return error;
    } else if (start < tracks.front().start || start >= end) {
        start = tracks.front().start;  // played to the end: begin again
    }
    if (!to.empty()) {
        if (const std::uint32_t error = cdPosition(device, tracks, to, end)) return error;
    }
    if (start >= end) return mci::kOutOfRange;
    return device.cd->play(start, end) ? mci::kOk : mci::kInternal;
}

std::uint32_t MciInterpreter::set(Device& device, const Words& words) {
    if (words.size() < 3) return mci::kMissingParameter;
    if (lower(words[2]) != "time") return mci::kUnrecognizedKeyword;
    if (words.size() < 4 || lower(words[3]) != "format") return mci::kUnrecognizedKeyword;
    if (words.size() < 5) return mci::kMissingParameter;
    if (words.size() > 5) return mci::kUnrecognizedKeyword;
    const std::string format = lower(words[4]);
    if (format == "milliseconds" || format == "ms") {
        device.format = TimeFormat::Milliseconds;
    } else if (device.cd && format == "msf") {
        device.format = TimeFormat::Msf;
    } else if (device.cd && format == "tmsf") {
        device.format = TimeFormat::Tmsf;
    } else {
        return mci::kBadTimeFormat;
    }
    return mci::kOk;
}

std::uint32_t MciInterpreter::status(Device& device, const Words& words, std::string& reply) {
    if (words.size() < 3) return mci::kMissingParameter;
    std::string item = lower(words[2]);
    for (std::size_t i = 3; i < words.size(); ++i) item += " " + lower(words[i]);
    if (item == "time format") {
        reply = device.format == TimeFormat::Tmsf  ? "tmsf"
                : device.format == TimeFormat::Msf ? "msf"
                                                   : "milliseconds";
        return mci::kOk;
    }
    if (device.cd) return cdStatus(device, words, reply);
    if (item == "mode") {
        reply = device.music->playing() ? "playing" : "stopped";
        return mci::kOk;
    }
    if (item == "ready") {
        reply = "true";
        return mci::kOk;
    }
    if (item == "position" || item == "length") return mci::kUnsupportedFunction;
    return mci::kUnrecognizedKeyword;
}

std::uint32_t MciInterpreter::cdStatus(Device& device, const Words& words, std::string& reply) {
    std::string item = lower(words[2]);
    std::size_t next = 3;
    if (next < words.size() && (item == "current" || item == "media" || item == "number")) {
        item += " " + lower(words[next++]);
        if (item == "number of" && next < words.size()) item += " " + lower(words[next++]);
    }
    // "position" and "length" may name a track.
    std::int64_t track = 0;
    const bool forTrack = (item == "position" || item == "length") && next < words.size();
    if (forTrack) {
        if (lower(words[next]) != "track") return mci::kUnrecognizedKeyword;
        if (next + 1 >= words.size()) return mci::kMissingParameter;
        if (!toInteger(words[next + 1], track)) return mci::kBadInteger;
        next += 2;
    }
    if (next != words.size()) return mci::kUnrecognizedKeyword;

    std::vector<DiscTrack> tracks;
    const bool ready = device.cd->readTracks(tracks) && !tracks.empty();
    if (item == "mode") {
        reply = !ready ? "not ready" : device.cd->playing() ? "playing" : "stopped";
        return mci::kOk;
    }
    if (item == "ready" || item == "media present") {
        reply = ready ? "true" : "false";
        return mci::kOk;
    }
    const bool known = item == "current track" || item == "number of tracks" ||
                       item == "position" || item == "length";
    if (!known) return mci::kUnrecognizedKeyword;
    if (!ready) return mci::kDeviceNotReady;
    if (forTrack && (track < 1 || track > static_cast<std::int64_t>(tracks.size()))) {
        return mci::kOutOfRange;
    }
    if (item == "current track") {
        reply = std::to_string(trackAt(tracks, device.cd->position()));
    } else if (item == "number of tracks") {
        reply = std::to_string(tracks.size());
    } else if (item == "position") {
        reply = cdPositionText(device, tracks,
                               forTrack ? tracks[track - 1].start : device.cd->position());
    } else {
        const std::int32_t sectors =
            forTrack ? tracks[track - 1].length : discEnd(tracks) - tracks.front().start;
        reply = device.format == TimeFormat::Milliseconds
                    ? std::to_string(static_cast<std::int64_t>(sectors) * 1000 / kSectorsPerSecond)
                    : msfText(sectors);
    }
    return mci::kOk;
}

std::string MciInterpreter::cdPositionText(Device& device, const std::vector<DiscTrack>& tracks,
                                           std::int32_t sector) {
    if (device.format == TimeFormat::Milliseconds) {
        return std::to_string(static_cast<std::int64_t>(sector + kLeadInSectors) * 1000 /
                              kSectorsPerSecond);
    }
    if (device.format == TimeFormat::Msf) return msfText(sector + kLeadInSectors);
    const std::size_t track = trackAt(tracks, sector);
    const std::int32_t offset = sector - tracks[track - 1].start;
    return twoDigits(static_cast<std::int32_t>(track)) + ":" + msfText(offset < 0 ? 0 : offset);
}

std::uint32_t MciInterpreter::cdPosition(Device& device, const std::vector<DiscTrack>& tracks,
                                         const std::string& text, std::int32_t& sector) {
    std::int64_t value = 0;
    if (device.format == TimeFormat::Milliseconds) {
        if (!toInteger(text, value) || value < 0) return mci::kBadInteger;
        value = value * kSectorsPerSecond / 1000 - kLeadInSectors;
    } else {
        int f[4] = {0, 0, 0, 0};
        const bool tmsf = device.format == TimeFormat::Tmsf;
        const int count = mci::parseColonFields(text, tmsf ? 4 : 3, f);
        if (count == 0) return mci::kBadInteger;
        if (tmsf) {
            if (f[0] < 1 || f[0] > static_cast<int>(tracks.size())) return mci::kOutOfRange;
            value = tracks[f[0] - 1].start + (f[1] * 60 + f[2]) * kSectorsPerSecond + f[3];
        } else {
            value = (f[0] * 60 + f[1]) * kSectorsPerSecond + f[2] - kLeadInSectors;
        }
    }
    if (value < tracks.front().start || value > discEnd(tracks)) return mci::kOutOfRange;
    sector = static_cast<std::int32_t>(value);
    return mci::kOk;
}

}  // namespace orveline
