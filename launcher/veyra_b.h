// Module Veyra_B: the launcher's start-up procedure and its settings-file routines, portable,
// over LauncherPlatform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orveline {

class LauncherPlatform;
struct LauncherState;
struct RunPlacement;

// Settings file: one section and three keys. The keys are code-page-932 bytes on every platform
// ("BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"), so files move between the Windows and the Linux build.
inline constexpr char kSettingsSection[] = "Section";
inline constexpr char kKeyBgmKind[] = "\x42\x47\x4D\x8B\xE6\x95\xAA";
inline constexpr char kKeyBgmRepeat[] = "\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4";
inline constexpr char kKeyBgmFile[] = "\x42\x47\x4D\xCC\xA7\xB2\xD9";
inline constexpr char kSettingsFileName[] = "Orveline.ini";
inline constexpr char kRendererFileName[] = "Orveline.dll";

// Window titles by which copies of the launcher and the renderer know each other.
inline constexpr char kRunFormTitle[] = "Veyra_Main";
inline constexpr char kSettingsDialogTitle[] = "<Orveline>";
inline constexpr char kPreviewFormTitle[] = "Preview Window";
inline constexpr char kRendererWindowTitle[] = "OrvelineVC";

// The caption of the launcher's message box (its application title).
inline constexpr char kApplicationTitle[] = "Orveline";

// The start-up procedure: single-instance test, mode dispatch, settings, renderer test, and the
// hand-over to the form of the mode. Returns when a form keeps the process alive; every other
// path ends the process through the platform.
void Main(LauncherPlatform& platform, LauncherState& state);

// Main's steps, each taken as Main takes it (a step that fails is skipped, nothing reported), for
// the other start-ups that share them (the hosted start, hosted/hosted_command.h).
namespace main_steps {
// True when a window with that title exists; a look-up that fails finds none.
bool WindowOpen(LauncherPlatform& platform, const char* title);
// LoadSettings.
void ReadSettings(LauncherPlatform& platform, LauncherState& state);
// True when the renderer is beside the launcher; a test that fails counts as present.
bool RendererPresent(LauncherPlatform& platform);
// Loads the run form of that placement.
void LoadRunForm(LauncherPlatform& platform, LauncherState& state, const RunPlacement& placement);
}  // namespace main_steps

// Mode letter: the command line's second character, upper-cased; empty when it is shorter.
std::string ModeLetter(const std::string& commandLine);
// Preview host handle: the command line from its fourth character on, read as a number
// (blanks and tabs ignored); 0 without a number or outside the 32-bit signed range.
std::int32_t PreviewHostHandle(const std::string& commandLine);

// Reads one key through the platform's private-profile read into a 256-byte buffer: the empty
// text for a missing file, section or key, at most 255 bytes of a value.
std::string ReadIni(LauncherPlatform& platform, const std::string& section, const std::string& key,
                    const std::string& file);
// Writes one key (section and key cut to 128 bytes). Returns the platform's success flag so
// that a caller can notice a failed save; callers that follow the original ignore it.
bool WriteIni(LauncherPlatform& platform, const std::string& section, const std::string& key,
              const std::string& value, const std::string& file);
// Fills BgmKind, BgmRepeat and BgmFile from the settings file.
void LoadSettings(LauncherPlatform& platform, LauncherState& state);
// True when path (without one trailing separator) names a file that can be opened for reading.
bool FileExists(LauncherPlatform& platform, std::string path);

// Where the settings file and the renderer are: a folder and the name joined by plain
// concatenation with the platform's separator (a root folder gives a doubled separator). No
// settings folder gives an empty path: nothing is read from or saved to it.
std::string SettingsFilePath(LauncherPlatform& platform);
std::string RendererPath(LauncherPlatform& platform);

// The settings number rule: the integer part (towards minus infinity) of text read as a
// number; nothing when the text is not a number or the part lies outside -32768..32767.
std::optional<std::int16_t> SettingsNumber(const std::string& text);

}  // namespace orveline
