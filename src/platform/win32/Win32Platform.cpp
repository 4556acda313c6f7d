#include "platform/win32/Win32Platform.h"

#include <mmsystem.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "system/Errors.h"
#include "system/Files.h"
#include "system/StoryFiles.h"
#include "system/MciCommand.h"
#include "system/TraceFile.h"
#include "platform/win32/GdiImage.h"
#include "platform/win32/WideText.h"

namespace {

constexpr wchar_t kWindowClass[] = L"Tessaro";

constexpr DWORD kWindowedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The reader's keys by their virtual-key codes; what they mean is system/ReaderInput's.
struct VirtualKeyRow {
    WPARAM virtualKey;
    ReaderKey key;
};
constexpr VirtualKeyRow kVirtualKeys[] = {
    {VK_SPACE, ReaderKey::Space}, {VK_RETURN, ReaderKey::Enter},   {VK_UP, ReaderKey::Up},
    {VK_DOWN, ReaderKey::Down},   {VK_PRIOR, ReaderKey::PageUp},   {VK_NEXT, ReaderKey::PageDown},
    {VK_HOME, ReaderKey::Home},   {VK_ESCAPE, ReaderKey::Escape},  {'M', ReaderKey::M},
    {VK_F11, ReaderKey::F11},     {VK_CONTROL, ReaderKey::Ctrl},
    {VK_OEM_MINUS, ReaderKey::Minus},    {VK_OEM_PLUS, ReaderKey::Plus},
    {VK_SUBTRACT, ReaderKey::KeypadMinus}, {VK_ADD, ReaderKey::KeypadPlus},
    {VK_OEM_4, ReaderKey::BracketLeft},  {VK_OEM_6, ReaderKey::BracketRight},
    {'A', ReaderKey::A},
};

// lParam of a key message: keypad Enter is Enter with the extended-key bit; a repeat has the key
// down before.
bool ReaderKeyOf(WPARAM virtualKey, LPARAM keyData, ReaderKey& readerKey) {
    for (const VirtualKeyRow& row : kVirtualKeys)
        if (row.virtualKey == virtualKey) {
            readerKey = row.key == ReaderKey::Enter && (keyData & (1 << 24)) != 0 ? ReaderKey::KeypadEnter : row.key;
            return true;
        }
    return false;
}

bool IsRepeat(LPARAM keyData) { return (keyData & (1 << 30)) != 0; }

unsigned Modifiers() {
    const auto down = [](int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; };
    return (down(VK_CONTROL) ? kModCtrl : 0u) | (down(VK_MENU) ? kModAlt : 0u) |
           (down(VK_LWIN) || down(VK_RWIN) ? kModSuper : 0u);
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* platform = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (platform == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    return platform->HandleMessage(hwnd, message, wParam, lParam);
}

// What keeps running while a message box is open: the box's own message loop calls it through a
// thread timer, set again each time for when it next wants to run.
Platform::WhileOpen boxTick = nullptr;
Win32Platform* boxOwner = nullptr;
UINT_PTR boxTimer = 0;

UINT Milliseconds(int64_t from, int64_t to) {
    return UINT(std::clamp<int64_t>(to - from, USER_TIMER_MINIMUM, 1 << 30));
}

void CALLBACK BoxTimerProcedure(HWND, UINT, UINT_PTR, DWORD) {
    if (boxTick == nullptr) return;
    const int64_t next = boxTick();
    boxTimer = SetTimer(nullptr, boxTimer, Milliseconds(boxOwner->Clock(), next), BoxTimerProcedure);
}

template <typename Text>
bool IsAscii(const Text& text) {
    return std::all_of(text.begin(), text.end(), [](auto c) { return static_cast<uint32_t>(c) < 0x80; });
}

// The music device takes its file's name through the ANSI code page, so a story in a folder named
// in Japanese would be silent on a machine set to another language. Such a name goes to it in its
// short form, which is plain ASCII, where the disk keeps short names; elsewhere as it is.
std::string WithAsciiPath(const std::string& command) {
    const MciCommand parsed = ParseMciCommand(command);
    if (parsed.verb != MciCommand::Verb::Open || IsAscii(parsed.path)) return command;
    const size_t at = command.find(parsed.path);
    if (at == std::string::npos) return command;
    const std::wstring path = Widen(parsed.path);
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return command;
    std::wstring shortPath(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), size);
    if (length == 0 || length >= size) return command;
    shortPath.resize(length);
    if (!IsAscii(shortPath)) return command;
    return command.substr(0, at) + Narrow(shortPath) + command.substr(at + parsed.path.size());
}

}  // namespace

Win32Platform::Win32Platform() {
    // Waits of 15 ms need the clock and the sleeps to the millisecond.
    timeBeginPeriod(1);
    lastTick = timeGetTime();
    if (const char* path = std::getenv("TESSARO_MEDIA_TRACE"); path != nullptr && *path != '\0')
        trace = _wfopen(Widen(std::string_view(path)).c_str(), L"ab");
}

Win32Platform::~Win32Platform() {
    if (window != nullptr) DestroyWindow(window);
    if (icon != nullptr) DestroyIcon(icon);
    PlaySoundW(nullptr, nullptr, 0);  // before the sound's memory goes
    if (trace != nullptr) std::fclose(trace);
    timeEndPeriod(1);
}

// Windows always has a display: empty.
const std::string& Win32Platform::Error() const { return error; }

void Win32Platform::SetScreenMode(const ScreenMode& mode) { screenMode = mode; }

bool Win32Platform::Fullscreen() const { return fullscreen; }

int64_t Win32Platform::Clock() {
    // The 32-bit clock wraps after 49 days; differences of it do not.
    const uint32_t now = timeGetTime();
    elapsed += uint32_t(now - lastTick);
    lastTick = now;
    return elapsed;
}

std::string Win32Platform::OpenWindow(const std::string& caption, int clientWidth, int clientHeight,
                                      const Image* iconImage) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (iconImage != nullptr) icon = IconOf(*iconImage);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) return "Cannot open the window: the window class was refused";

    RECT desktop{};
    const bool known = SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0) != FALSE;
    windowScale = WindowScale(screenMode, clientWidth, clientHeight,
                              DesktopRoom{known, int(desktop.right - desktop.left), int(desktop.bottom - desktop.top)});
    // A fixed single frame: a caption with the close and minimise buttons, no sizing border.
    const DWORD style = kWindowedStyle;
    RECT frame{0, 0, clientWidth * windowScale, clientHeight * windowScale};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int left = int((GetSystemMetrics(SM_CXSCREEN) - width) / 2.0);
    const int top = int((GetSystemMetrics(SM_CYSCREEN) - height) / 2.0);
    window = CreateWindowExW(0, kWindowClass, Widen(caption).c_str(), style, left, top, width, height,
                             nullptr, nullptr, instance, this);
    if (window == nullptr) return "Cannot open the window (error " + std::to_string(GetLastError()) + ")";
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    UpdateWindow(window);
    if (screenMode.fullscreen) ToggleFullscreen();
    NoteInTrace("window");
    return "";
}

LRESULT Win32Platform::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // The story ends at its next pump; the window stays until then.
        closeRequested = true;
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the image covers the whole client area
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC target = BeginPaint(hwnd, &paint);
        Paint(target);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        ReaderKey key{};
        const bool known = ReaderKeyOf(wParam, lParam, key);
        if (known && input.KeyDown(key, Modifiers(), IsRepeat(lParam)) == InputRequest::ToggleFullscreen)
            ToggleFullscreen();
        // Given to the system as well, Alt+Enter would ring the bell.
        if (message == WM_SYSKEYDOWN && ReaderInput::AltKeyIsTheSystems(known, key))
            return DefWindowProcW(hwnd, message, wParam, lParam);
        return 0;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        ReaderKey key;
        if (ReaderKeyOf(wParam, lParam, key)) input.KeyUp(key);
        return message == WM_SYSKEYUP ? DefWindowProcW(hwnd, message, wParam, lParam) : 0;
    }
    case WM_MOUSEMOVE: {
        ImagePoint at;
        if (ToImage(lParam, at)) input.PointerAt(at);
        return 0;
    }
    case WM_MOUSEACTIVATE: {
        // A press on the window while another one is active: Windows tells of it here, before the
        // focus it brings, and then again as the press itself, which is left out.
        const UINT press = HIWORD(lParam);
        if (LOWORD(lParam) != HTCLIENT || (press != WM_LBUTTONDOWN && press != WM_RBUTTONDOWN))
            return DefWindowProcW(hwnd, message, wParam, lParam);
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(hwnd, &cursor);
        Click(press, MAKELPARAM(cursor.x, cursor.y));
        return MA_ACTIVATEANDEAT;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        Click(message, lParam);
        return 0;
    case WM_MOUSEWHEEL:
        input.Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_SETFOCUS:
        input.Focus(true);
        return 0;
    case WM_KILLFOCUS:
        input.Focus(false);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool Win32Platform::PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return !closeRequested;
}

void Win32Platform::SleepUntil(int64_t deadline) {
    const int64_t left = deadline - Clock();
    if (left <= 0) return;
    // Sleeps on the message queue: a message or the deadline wakes us, nothing spins.
    MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(std::min<int64_t>(left, 1 << 30)), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
}

bool Win32Platform::ToImage(LPARAM position, ImagePoint& at) const {
    if (shown == nullptr) return false;
    at = ImagePoint{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    return WindowToImage(Placement{placedX, placedY, placedScale}, shown->Width(), shown->Height(), at.x, at.y);
}

void Win32Platform::Click(UINT press, LPARAM position) {
    ImagePoint at;
    const bool onImage = ToImage(position, at);
    input.Click(press == WM_LBUTTONDOWN ? PointerButton::Left : PointerButton::Right, onImage ? &at : nullptr);
}

bool Win32Platform::SkipHeld() { return input.SkipHeld(); }

bool Win32Platform::PointerMoved(int& x, int& y) { return input.PointerMoved(x, y); }

void Win32Platform::ToggleFullscreen() {
    if (window == nullptr) return;
    fullscreen = !fullscreen;
    if (fullscreen) {
        // A window without a frame that covers its monitor; the image is centred on black.
        windowedPlace.length = sizeof windowedPlace;
        GetWindowPlacement(window, &windowedPlace);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
        SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
        const RECT& r = monitor.rcMonitor;
        SetWindowPos(window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    } else {
        SetWindowLongPtrW(window, GWL_STYLE, kWindowedStyle | WS_VISIBLE);
        SetWindowPlacement(window, &windowedPlace);
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    }
    InvalidateRect(window, nullptr, FALSE);
}

bool Win32Platform::KeyHit(Key key) { return input.KeyHit(key); }

void Win32Platform::ShowImage(const Image& clientImage, const ImageRect* changed) {
    if (&clientImage != shown) changed = nullptr;
    shown = &clientImage;
    if (window == nullptr) return;
    HDC target = GetDC(window);
    Paint(target, changed);
    ReleaseDC(window, target);
    NoteInTrace("frame");
}

void Win32Platform::Paint(HDC target, const ImageRect* changed) {
    if (shown == nullptr) return;
    RECT client{};
    GetClientRect(window, &client);
    const int w = shown->Width(), h = shown->Height();
    const Placement at = PlaceImage(w, h, int(client.right), int(client.bottom), windowScale, fullscreen);
    placedScale = at.scale;
    placedX = at.x;
    placedY = at.y;
    HDC source = DeviceContextOf(*shown);
    if (placedScale == 1 && changed == nullptr && placedX == 0 && placedY == 0) {
        BitBlt(target, 0, 0, w, h, source, 0, 0, SRCCOPY);
        return;
    }
    if (changed == nullptr && (w * placedScale < client.right || h * placedScale < client.bottom))
        FillRect(target, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));  // black around the image
    const ImageRect part = changed != nullptr ? *changed : ImageRect{0, 0, w, h};
    // Every pixel a crisp block.
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, placedX + part.x * placedScale, placedY + part.y * placedScale, part.w * placedScale,
               part.h * placedScale, source, part.x, part.y, part.w, part.h, SRCCOPY);
}

void Win32Platform::ForgetKeys() { input.Forget(); }

bool Win32Platform::MessageBox(const std::string& caption, const std::string& text, WhileOpen whileOpen) {
    // The box runs its own message loop on this thread; the window's timers tick from it, and it
    // repaints the window, which it disables while it is open (so it cannot be closed meanwhile).
    boxTick = whileOpen;
    boxOwner = this;
    boxTimer = whileOpen != nullptr ? SetTimer(nullptr, 0, Milliseconds(Clock(), whileOpen()), BoxTimerProcedure) : 0;
    ::MessageBoxW(window, Widen(text).c_str(), Widen(caption).c_str(), MB_OK | MB_SETFOREGROUND);
    if (boxTimer != 0) KillTimer(nullptr, boxTimer);
    boxTick = nullptr;
    boxTimer = 0;
    // Keys pressed to dismiss the box, or while it was open, are not the story's.
    MSG message;
    while (PeekMessageW(&message, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    ForgetKeys();
    return true;
}

std::string Win32Platform::MciSendString(const std::string& command) {
    // The status query is the only one with an answer: a buffer of 16 blanks, declared as 15.
    const bool query = command.rfind("status ", 0) == 0;
    wchar_t answer[16];
    std::fill(std::begin(answer), std::end(answer), L' ');
    const std::string sent = WithAsciiPath(command);
    const MCIERROR code = mciSendStringW(Widen(sent).c_str(), query ? answer : nullptr, query ? 15 : 0, nullptr);
    std::string reply;
    if (query && code == 0) {
        const std::wstring_view filled(answer, 16);
        reply = Narrow(filled.substr(0, filled.find(L'\0')));
    }
    MediaTrace("mci\t" + sent + "\t" + std::to_string(code) + "\t" + reply);
    return reply;
}

void Win32Platform::SndPlaySound(const std::string& path) {
    // The sound is read here, with the wide file calls the story's other files take, and played
    // from memory. Given the name, Windows would open the file on the sound's own thread, after
    // answering "started" already, and through the ANSI code page, in which a folder named in
    // Japanese is lost on a machine set to another language: the sound would be silent with no
    // sign of it. A file that cannot be read, or is no wave file, plays nothing (not the system's
    // default sound), and the trace says so.
    std::string sound;
    try {
        sound = ReadAssetFile(path, StoryFolderOf(StoryFolder::Wave).cap);
    } catch (const RunTimeError&) {
        sound.clear();
    }
    const bool wave = IsWaveFile(sound);
    // A new sound cuts off the one still playing, whose memory goes only once it has stopped.
    PlaySoundW(nullptr, nullptr, 0);
    playingSound = wave ? std::move(sound) : std::string();
    const BOOL started = wave && PlaySoundW(reinterpret_cast<LPCWSTR>(playingSound.data()), nullptr,
                                            SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
    MediaTrace("wave\t" + path + "\t" + (started ? "1" : "0"));
}

// Windows matches names without regard to letter case and takes "\" as the separator already.
std::string Win32Platform::ProgramFolder(const char*) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos) return ".";
    // "C:\tessaro.exe" lies in "C:\", which keeps its separator.
    return Narrow(path.substr(0, last == 2 && path[1] == L':' ? 3 : last));
}

// Windows gives a process's freed memory back by itself.
// The program's own share of the output: the effects and the MIDI synthesizer, which plays in
// our process, both.
void Win32Platform::SetVolume(int percent) {
    const DWORD level = DWORD(std::clamp(percent, 0, 100)) * 0xFFFF / 100;
    waveOutSetVolume(nullptr, level | level << 16);
}

void Win32Platform::MediaTrace(const std::string& line) {
    if (trace == nullptr) return;
    std::fputs((line + "\n").c_str(), trace);
    std::fflush(trace);
}
