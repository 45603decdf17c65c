// Windows launcher platform: kernel32/user32 8-bit functions, the wide message box and the Win32
// forms runtime.
#include "win32_launcher_platform.h"

#include <windows.h>

#include <vector>

#include "launcher_forms.h"

namespace orveline {

namespace {

constexpr char kMessageWindowClass[] = "OrvelineLauncherMessages";
constexpr char kHiddenFormClass[] = "OrvelineHiddenForm";
// Without a prefix, a named object lives in the session's own namespace, as its windows do.
constexpr char kInstanceMutexName[] = "OrvelineSingleInstance";

struct HiddenFormData {
    std::function<void()> onClose;
};

LRESULT CALLBACK hiddenFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // A close request is reported to the owner, which decides; the window stays.
        auto* data = reinterpret_cast<HiddenFormData*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (data && data->onClose) data->onClose();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Win32HiddenWindow : public HiddenWindow {
  public:
    Win32HiddenWindow(const std::string& title, std::function<void()> onClose)
        : data_(std::make_unique<HiddenFormData>(HiddenFormData{std::move(onClose)})) {
        window_ = CreateWindowExA(0, kHiddenFormClass, title.c_str(), WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        if (window_) {
            SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data_.get()));
        }
    }
    ~Win32HiddenWindow() override {
        if (window_) DestroyWindow(window_);
    }
    Win32HiddenWindow(const Win32HiddenWindow&) = delete;
    Win32HiddenWindow& operator=(const Win32HiddenWindow&) = delete;

  private:
    std::unique_ptr<HiddenFormData> data_;
    HWND window_ = nullptr;
};

}  // namespace

struct Win32LauncherPlatform::Impl {
    HWND messages = nullptr;
    HANDLE instanceMutex = nullptr;  // its existence is the single-instance lock
    UINT_PTR nextTimerId = 1;
    std::map<UINT_PTR, std::function<void()>*> timers;

    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER) {
            auto* impl = reinterpret_cast<Impl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (impl) {
                const auto found = impl->timers.find(static_cast<UINT_PTR>(wParam));
                if (found != impl->timers.end() && *found->second) (*found->second)();
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    Impl() {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA messageClass{};
        messageClass.lpfnWndProc = proc;
        messageClass.hInstance = instance;
        messageClass.lpszClassName = kMessageWindowClass;
        RegisterClassA(&messageClass);
        WNDCLASSA formClass{};
        formClass.lpfnWndProc = hiddenFormProc;
        formClass.hInstance = instance;
        formClass.lpszClassName = kHiddenFormClass;
        RegisterClassA(&formClass);
        messages = CreateWindowExA(0, kMessageWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, nullptr);
        if (messages) SetWindowLongPtrA(messages, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Impl() {
        if (messages) DestroyWindow(messages);
        if (instanceMutex) CloseHandle(instanceMutex);
    }
};

namespace {

class Win32Timer : public UiTimer {
  public:
    Win32Timer(Win32LauncherPlatform::Impl& impl, int interval, std::function<void()> onTick)
        : impl_(impl), interval_(interval), onTick_(std::move(onTick)), id_(impl.nextTimerId++) {
        impl_.timers[id_] = &onTick_;
    }
    ~Win32Timer() override {
        setEnabled(false);
        impl_.timers.erase(id_);
    }
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void setEnabled(bool enabled) override {
        if (enabled && impl_.messages) {
            enabled_ = SetTimer(impl_.messages, id_, static_cast<UINT>(interval_), nullptr) != 0;
        } else if (!enabled && enabled_) {
            KillTimer(impl_.messages, id_);
            enabled_ = false;
        }
    }
    bool enabled() const override { return enabled_; }
    void setInterval(int milliseconds) override {
        interval_ = milliseconds;
        if (enabled_) setEnabled(true);  // SetTimer on the same id restarts with the new period
    }
    int interval() const override { return interval_; }

  private:
    Win32LauncherPlatform::Impl& impl_;
    int interval_;
    std::function<void()> onTick_;
    UINT_PTR id_;
    bool enabled_ = false;
};

}  // namespace

std::wstring Utf8ToWide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

std::string ArgumentsOfCommandLine(const std::string& commandLine) {
    std::size_t i = 0;
    if (i < commandLine.size() && commandLine[i] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    return commandLine.substr(i);
}

Win32LauncherPlatform::Win32LauncherPlatform() : impl_(std::make_unique<Impl>()) {}

Win32LauncherPlatform::~Win32LauncherPlatform() = default;

std::string Win32LauncherPlatform::commandLine() {
    const char* line = GetCommandLineA();
    return ArgumentsOfCommandLine(line ? line : "");
}

bool Win32LauncherPlatform::isLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != 0;
}

std::string Win32LauncherPlatform::ownFolder() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    const std::string path(buffer.begin(), buffer.end());
    // The last separator that is a character of its own (not the second byte of a
    // double-byte character).
    std::size_t lastSeparator = std::string::npos;
    for (std::size_t i = 0; i < path.size();) {
        if (path[i] == '\\') lastSeparator = i;
        i += (isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ? 2 : 1;
    }
    if (lastSeparator == std::string::npos) return std::string();
    std::string folder = path.substr(0, lastSeparator);
    if (folder.size() == 2 && folder[1] == ':') folder.push_back('\\');  // a drive's root
    return folder;
}

bool Win32LauncherPlatform::takeInstanceLock() {
    if (impl_->instanceMutex) return true;
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    if (!mutex) return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    impl_->instanceMutex = mutex;
    return true;
}

bool Win32LauncherPlatform::windowExists(const std::string& title) {
    return FindWindowA(nullptr, title.c_str()) != nullptr;
}

bool Win32LauncherPlatform::childWindowExists(const std::string& title, std::uint32_t host) {
    const HWND parent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(host));
    return host != 0 && FindWindowExA(parent, nullptr, nullptr, title.c_str()) != nullptr;
}

std::int32_t Win32LauncherPlatform::showCursor(std::int32_t show) {
    return ShowCursor(show);
}

bool Win32LauncherPlatform::cursorPosition(int& x, int& y) {
    POINT point{};
    if (!GetCursorPos(&point)) return false;
    x = point.x;
    y = point.y;
    return true;
}

void Win32LauncherPlatform::messageBox(const std::string& caption, const std::string& text) {
    // The wide call: the texts read the same whatever the system's code page is.
    MessageBoxW(nullptr, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), MB_OK);
}

Language Win32LauncherPlatform::userLanguage() {
    return LanguageFromLangId(GetUserDefaultUILanguage());
}

bool Win32LauncherPlatform::canOpenForReading(const std::string& path) {
    // A folder fails here: opening one needs FILE_FLAG_BACKUP_SEMANTICS.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::uint32_t Win32LauncherPlatform::getPrivateProfileString(const char* section, const char* key,
                                                             const char* defaultValue, char* buffer,
                                                             std::uint32_t size, const char* file) {
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, file);
}

bool Win32LauncherPlatform::writePrivateProfileString(const char* section, const char* key,
                                                      const char* value, const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

namespace {

// The process handle, kept so that the program's end can be learnt; closing it never ends the
// program.
class ProcessProgram : public StartedProgram {
  public:
    explicit ProcessProgram(HANDLE process) : process_(process) {}
    ~ProcessProgram() override { CloseHandle(process_); }
    ProcessProgram(const ProcessProgram&) = delete;
    ProcessProgram& operator=(const ProcessProgram&) = delete;

    bool running() override { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  private:
    HANDLE process_;
};

}  // namespace

std::string CommandLineOf(const std::string& path, const std::vector<std::string>& arguments) {
    // Backslashes count only before a quote: doubled there, so the quote stays a quote.
    const auto quoted = [](const std::string& word) {
        if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
        std::string text = "\"";
        std::size_t backslashes = 0;
        for (const char c : word) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            text.push_back(c);
        }
        text.append(backslashes * 2, '\\');
        return text + "\"";
    };
    // The program's own name is read up to the next quote, without escapes.
    std::string line = path.find_first_of(" \t") == std::string::npos ? path : "\"" + path + "\"";
    for (const std::string& argument : arguments) line += " " + quoted(argument);
    return line;
}

std::unique_ptr<StartedProgram> Win32LauncherPlatform::startProgram(
    const std::string& path, const std::vector<std::string>& arguments, int showState, bool) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showState);
    PROCESS_INFORMATION process{};
    // Without arguments the command line is the bare path, as the original passed it.
    const std::string line = arguments.empty() ? path : CommandLineOf(path, arguments);
    std::vector<char> commandText(line.begin(), line.end());
    commandText.push_back('\0');
    if (!CreateProcessA(path.c_str(), commandText.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return std::make_unique<ProcessProgram>(process.hProcess);
}

void Win32LauncherPlatform::loadRunForm(LauncherState& state, const RunPlacement& placement) {
    orveline::loadRunForm(*this, state, placement);
}

void Win32LauncherPlatform::showPreview(std::int32_t hostWindow) {
    orveline::showPreview(*this, hostWindow);
}

void Win32LauncherPlatform::showSettingsDialog(LauncherState& state) {
    orveline::showSettingsDialog(*this, state);
}

void Win32LauncherPlatform::endProcess() {
    ExitProcess(0);
}

std::unique_ptr<UiTimer> Win32LauncherPlatform::createTimer(int intervalMilliseconds,
                                                            std::function<void()> onTick) {
    return std::make_unique<Win32Timer>(*impl_, intervalMilliseconds, std::move(onTick));
}

std::unique_ptr<HiddenWindow> Win32LauncherPlatform::createHiddenWindow(
    const std::string& title, std::function<void()> onCloseRequest) {
    return std::make_unique<Win32HiddenWindow>(title, std::move(onCloseRequest));
}

void Win32LauncherPlatform::quitMessageLoop() {
    PostQuitMessage(0);
}

int Win32LauncherPlatform::runMessageLoop() {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace orveline
