#include "mci_text.h"

#include <cstring>

namespace orveline::mci {
namespace {

struct ErrorEntry {
    std::uint32_t code;
    const char* text;
};

// The interface's documented error numbers and their descriptions.
const ErrorEntry kErrors[] = {
    {257, "Invalid MCI device ID. Use the ID returned when opening the MCI device."},
    {259, "The driver cannot recognize the specified command parameter."},
    {261, "The driver cannot recognize the specified command."},
    {262,
     "There is a problem with your media device. Make sure it is working correctly or contact the "
     "device manufacturer."},
    {263, "The specified device is not open or is not recognized by MCI."},
    {264,
     "Not enough memory available for this task. Quit one or more applications to increase "
     "available memory, and then try again."},
    {265,
     "The device name is already being used as an alias by this application. Use a unique alias."},
    {266, "There is an undetectable problem in loading the specified device driver."},
    {267, "No command was specified."},
    {268,
     "The output string was too large to fit in the return buffer. Increase the size of the "
     "buffer."},
    {269, "The specified command requires a character-string parameter. Please provide one."},
    {270, "The specified integer is invalid for this command."},
    {271,
     "The device driver returned an invalid return type. Check with the device manufacturer about "
     "obtaining a new driver."},
    {272,
     "There is a problem with the device driver. Check with the device manufacturer about "
     "obtaining a new driver."},
    {273, "The specified command requires a parameter. Please supply one."},
    {274, "The MCI device you are using does not support the specified command."},
    {275, "Cannot find the specified file. Make sure the path and filename are correct."},
    {276, "The device driver is not ready."},
    {277, "A problem occurred in initializing MCI. Try restarting Windows."},
    {278, "There is a problem with the device driver. The driver has closed. Cannot access error."},
    {279, "Cannot use 'all' as the device name with the specified command."},
    {280,
     "Errors occurred in more than one device. Specify each command and device separately to "
     "determine which devices caused the error."},
    {281, "Cannot determine the device type from the given filename extension."},
    {282, "The specified parameter is out of range for the specified command."},
    {284, "The specified parameters cannot be used together."},
    {286,
     "Cannot save the specified file. Make sure you have enough disk space or are still connected "
     "to the network."},
    {287,
     "Cannot find the specified device. Make sure it is installed and that the device name is "
     "spelled correctly."},
    {288, "The specified device is now being closed. Wait a few seconds, and then try again."},
    {289, "The specified alias is already being used in this application. Use a unique alias."},
    {290, "The specified parameter is invalid for this command."},
    {291,
     "The device driver is already in use. To share it, use the 'shareable' parameter with each "
     "'open' command."},
    {292,
     "The specified command requires an alias, file, driver, or device name. Please supply one."},
    {293,
     "The specified value for the time format is invalid. Refer to the MCI documentation for valid "
     "formats."},
    {294,
     "A closing double-quotation mark is missing from the parameter value. Please supply one."},
    {295, "A parameter or value was specified twice. Only specify it once."},
    {296,
     "The specified file cannot be played on the specified MCI device. The file may be corrupt, or "
     "not in the correct format."},
    {297, "A null parameter block was passed to MCI."},
    {298, "Cannot save an unnamed file. Supply a filename."},
    {299, "You must specify an alias when using the 'new' parameter."},
    {300, "Cannot use the 'notify' flag with auto-opened devices."},
    {301, "Cannot use a filename with the specified device."},
    {302,
     "Cannot carry out the commands in the order specified. Correct the command sequence, and then "
     "try again."},
    {303,
     "Cannot carry out the specified command on an auto-opened device. Wait until the device is "
     "closed, and then try again."},
    {304,
     "The filename is invalid. Make sure the filename is not longer than 8 characters, followed by "
     "a period and an extension."},
    {305, "Cannot specify extra characters after a string enclosed in quotation marks."},
    {306,
     "The specified device is not installed on the system. Use the Drivers option in Control Panel "
     "to install the device."},
    {307,
     "Cannot access the specified file or MCI device. Try changing directories or restarting your "
     "computer."},
    {308,
     "Cannot access the specified file or MCI device because the application cannot change "
     "directories."},
    {309,
     "Cannot access specified file or MCI device because the application cannot change drives."},
    {310, "Specify a device or driver name that is less than 79 characters."},
    {311, "Specify a device or driver name that is less than 69 characters."},
    {312, "The specified command requires an integer parameter. Please provide one."},
    {320,
     "All wave devices that can play files in the current format are in use. Wait until a wave "
     "device is free, and then try again."},
    {321,
     "Cannot set the current wave device for play back because it is in use. Wait until the device "
     "is free, and then try again."},
    {322,
     "All wave devices that can record files in the current format are in use. Wait until a wave "
     "device is free, and then try again."},
    {323,
     "Cannot set the current wave device for recording because it is in use. Wait until the device "
     "is free, and then try again."},
    {324, "Any compatible waveform playback device may be used."},
    {325, "Any compatible waveform recording device may be used."},
    {326,
     "No wave device that can play files in the current format is installed. Use the Drivers "
     "option to install the wave device."},
    {327, "The device you are trying to play to cannot recognize the current file format."},
    {328,
     "No wave device that can record files in the current format is installed. Use the Drivers "
     "option to install the wave device."},
    {329, "The device you are trying to record from cannot recognize the current file format."},
    {336,
     "The time formats of the \"song pointer\" and SMPTE are mutually exclusive. You can't use "
     "them together."},
    {337, "The specified MIDI port is already in use. Wait until it is free, and then try again."},
    {338,
     "The specified MIDI device is not installed on the system. Use the Drivers option from the "
     "Control Panel to install a MIDI device."},
    {339,
     "The current MIDI Mapper setup refers to a MIDI device that is not installed on the system."},
    {340, "An error occurred with the specified port."},
    {341,
     "All multimedia timers are being used by other applications. Quit one of these applications, "
     "and then try again."},
    {342, "The system doesn't have a current MIDI port specified."},
    {343,
     "The system has no installed MIDI devices. Use the Drivers option from the Control Panel to "
     "install a MIDI driver."},
    {346, "There is no display window."},
    {347, "Could not create or use window."},
    {348,
     "Cannot read the specified file. Make sure the file is still present, or check your disk or "
     "network connection."},
    {349,
     "Cannot write to the specified file. Make sure you have enough disk space or are still "
     "connected to the network."},
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

const char* errorDescription(std::uint32_t code) {
    for (const ErrorEntry& e : kErrors) {
        if (e.code == code) return e.text;
    }
    return nullptr;
}

std::uint32_t splitWords(const std::string& command, std::vector<std::string>& words) {
    words.clear();
    std::size_t i = 0;
    const std::size_t n = command.size();
    while (true) {
        while (i < n && isBlank(command[i])) ++i;
        if (i >= n) return kOk;
        if (command[i] == '"') {
            const std::size_t close = command.find('"', i + 1);
            if (close == std::string::npos) return kNoClosingQuote;
            words.push_back(command.substr(i + 1, close - i - 1));
            i = close + 1;
            if (i < n && !isBlank(command[i])) return kExtraCharacters;
        } else {
            const std::size_t start = i;
            while (i < n && !isBlank(command[i])) ++i;
            words.push_back(command.substr(start, i - start));
        }
    }
}

std::uint32_t writeReply(const std::string& text, char* buffer, std::uint32_t capacity) {
    if (buffer == nullptr || capacity == 0) return kOk;
    if (text.size() + 1 > capacity) {
        buffer[0] = '\0';
        return kParamOverflow;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return kOk;
}

int parseColonFields(const std::string& text, int maxFields, int fields[4]) {
    int count = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (n == 0) return 0;
    while (true) {
        if (count == maxFields || i >= n || text[i] < '0' || text[i] > '9') return 0;
        int value = 0;
        for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
            value = value * 10 + (text[i] - '0');
            if (value > 255) return 0;
        }
        fields[count++] = value;
        if (i == n) return count;
        if (text[i] != ':') return 0;
        ++i;
    }
}

}  // namespace orveline::mci
