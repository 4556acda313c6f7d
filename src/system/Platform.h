#pragma once
// Everything the program reaches of the machine: clock, keys, message pumping, the window, the
// message box, music and sound, the story's files and pictures, the program's own folder and its
// memory. The real machine is SdlPlatform (Win32Platform on Windows); tests put a virtual clock
// and scripted keys in its place (their files and pictures are real ones, in a temporary folder).
// Drawing itself is not here: the picture area paints into off-screen images (system/Image), the
// same in the program and in the tests. Each machine is one folder, src/platform/NAME, whose class
// implements all of this; nothing outside src/platform/ includes a header of SDL or of the
// operating system.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "system/Image.h"
#include "system/ReaderInput.h"
#include "system/Scaling.h"

// What the program keeps for the reader between sittings, each in the machine's own place for it,
// never in the story's folder: the bookmarks (one small file for each story) and the settings.
enum class Kept { Bookmarks, Settings };

// The most a kept file may hold; a larger one is not read.
constexpr size_t kKeptFileCap = size_t(64) << 10;  // 64 KiB

// The caption of every message box the program shows.
constexpr const char* kMessageBoxCaption = "Tessaro";

class Platform {
public:
    virtual ~Platform() = default;

    // Why the machine could not start (no display, say); empty when it did. The machine starts
    // as it is made; when this is not empty, nothing else of it may be used.
    virtual const std::string& Error() const = 0;

    // How the window is shown (its scale, fullscreen): given before OpenWindow.
    virtual void SetScreenMode(const ScreenMode& mode) = 0;

    // Whether the window is fullscreen now (the reader may have turned it on or off since), so
    // that the reader's choice can be kept for the next start.
    virtual bool Fullscreen() const = 0;

    // Milliseconds since the program started, from a monotonic 64-bit clock.
    virtual int64_t Clock() = 0;

    // Opens the one window: caption, client size in pixels, centred on the screen, not resizable.
    // Returns an error text, empty on success.
    virtual std::string OpenWindow(const std::string& caption, int clientWidth, int clientHeight,
                                   const Image* icon) = 0;

    // Handles every pending window event (repaints, key presses, focus). Returns false when the
    // user has asked to close the window.
    virtual bool PumpMessages() = 0;

    // Sleeps until the clock reaches deadline or a window event arrives, whichever comes first.
    // Never spins.
    virtual void SleepUntil(int64_t deadline) = 0;

    // The reader's input, as system/ReaderInput decides it: a machine tells its window's events to
    // a ReaderInput and answers these three from it.
    // True when the key is down now or has been pressed since the previous query of that key; the
    // query clears that memory. Keys count only while our window has the keyboard focus.
    virtual bool KeyHit(Key key) = 0;

    // True while the reader holds the skip key (Ctrl) in our window.
    virtual bool SkipHeld() = 0;

    // True when the mouse pointer has moved over the client image (or clicked on it) since the
    // previous query; x and y are then where, in the image's own pixels.
    virtual bool PointerMoved(int& x, int& y) = 0;

    // True when the reader has tapped the client image (a touch screen's short touch) since the
    // previous query; x and y are then where, in the image's own pixels. A tap is neither a
    // pointer move nor a Space: what it does is the interpreter's rule (script/Waits). A machine
    // without a touch screen never taps, as this one does not.
    virtual bool TapHit(int& x, int& y);

    // Puts the window's client image on screen at once; when changed is given, only that part of
    // it differs from what the screen already shows.
    virtual void ShowImage(const Image& clientImage, const ImageRect* changed = nullptr) = 0;

    // What goes on while a message box is open (the window's timers): runs what is due and
    // returns the clock time when it next wants to run.
    using WhileOpen = int64_t (*)();

    // A modal message box with one OK button and no icon; returns when it is dismissed: true, or
    // false when the user closed the main window instead (the caller ends the program then, as
    // anywhere else). Keys pressed while it was open are forgotten. While it is open the main
    // window keeps repainting and whileOpen (when given) runs on this thread when it asked to.
    virtual bool MessageBox(const std::string& caption, const std::string& text,
                            WhileOpen whileOpen = nullptr) = 0;

    // The music device: takes one command string ("open <path> alias MIDI", "play MIDI notify",
    // "status MIDI mode", ...) and returns its answer text, empty when it has none. Failures are
    // silent.
    virtual std::string MciSendString(const std::string& command) = 0;

    // Starts a sound effect without waiting, cutting the one still playing. A missing or
    // unplayable file is silent.
    virtual void SndPlaySound(const std::string& path) = 0;

    // The story's files are read the same on every machine, through system/Files.h (whose bodies
    // each machine links: platform/posix or its own); a machine need not say these three again.
    // The real path of a Windows-style path ("dir\Data\Data00.Dat"): separators mapped, a missing
    // name matched without regard to letter case. When nothing matches, the mapped path as it is.
    virtual std::string FindFile(const std::string& windowsPath);

    // The whole content of a file (a Windows-style path). Throws FileNotFound or FileUnreadable
    // naming the real path.
    virtual std::string ReadFile(const std::string& windowsPath);

    // A bitmap file (a Windows-style path) as an image the picture area can draw. Throws
    // FileNotFound or InvalidPicture naming the real path; never returns an empty handle.
    virtual std::unique_ptr<Image> LoadPicture(const std::string& windowsPath);

    // The folder that holds the running program; argv0 is the name it was started by.
    virtual std::string ProgramFolder(const char* argv0) = 0;

    // The loudness of music and sound effects together, 0 (silent) to 100 (as the files are, the
    // start). Music keeps playing, silent or not, so it goes on from where it is.
    virtual void SetVolume(int percent) = 0;

    // The kept file `name` (letters, digits, "-" and "." only) of that place: true with its bytes;
    // false when there is none, or, with why set, when it could not be read (more than
    // kKeptFileCap bytes, say). By default, a file of the folder KeptPlace names.
    virtual bool ReadKept(Kept place, const std::string& name, std::string& bytes, std::string& why);

    // Writes it whole, readable by the user alone: a new file that then takes the name, so that
    // a failed write leaves the old one as it was. Returns "" or why it could not (a read-only or
    // full disk): the caller goes on without it.
    virtual std::string WriteKept(Kept place, const std::string& name, const std::string& bytes);

    // Removes it; an empty name removes every file of that place. Returns "" or why it could not.
    virtual std::string ForgetKept(Kept place, const std::string& name);

    // Where that place is, as the reader would look for it ("/home/ann/.local/state/tessaro");
    // empty when this machine keeps nothing there.
    virtual std::string KeptPlace(Kept place) = 0;

    // What joins that folder and a file's name in the machine's paths.
    virtual char KeptSeparator() const { return '/'; }

    // Gives memory that was freed back to the system, where the system allows it (by default it
    // does not).
    virtual void TrimMemory() {}

    // Notes a moment worth timing ("step": a step's drawing is done and its wait begins) in the
    // trace the benchmarks ask for with TESSARO_TRACE (system/TraceFile.h), the same on every
    // machine; each also notes "window" when its window is on screen and "frame" when it has
    // handed a frame to the window system. What the reader is shown is noted too, for the monkey
    // (tests/window/monkey.py): "question" and "answered", "box" and "box-closed",
    // "backlog-open" and "backlog-closed:" with the key that closed it.
    virtual void Trace(const char* event);

    // The text the reader has in front of them now, in UTF-8 (a page's rows once typed, a question
    // and its answers), for a screen reader where the machine has a way to one. The others leave
    // it, as this one does.
    virtual void Announce(const std::string& text);
};

// The methods every machine's class implements itself, declared in that class by naming this
// (each machine defines them in its own folder): the list is the seam's, written here only. A
// machine may also replace the methods that have a body here (the story's files, TrimMemory,
// Trace).
#define TESSARO_PLATFORM_METHODS                                                                  \
    const std::string& Error() const override;                                                    \
    void SetScreenMode(const ScreenMode& mode) override;                                          \
    bool Fullscreen() const override;                                                             \
    int64_t Clock() override;                                                                     \
    std::string OpenWindow(const std::string& caption, int clientWidth, int clientHeight,         \
                           const Image* icon) override;                                           \
    bool PumpMessages() override;                                                                 \
    void SleepUntil(int64_t deadline) override;                                                   \
    bool KeyHit(Key key) override;                                                                \
    bool SkipHeld() override;                                                                     \
    bool PointerMoved(int& x, int& y) override;                                                   \
    void ShowImage(const Image& clientImage, const ImageRect* changed = nullptr) override;        \
    bool MessageBox(const std::string& caption, const std::string& text,                          \
                    WhileOpen whileOpen = nullptr) override;                                      \
    std::string MciSendString(const std::string& command) override;                               \
    void SndPlaySound(const std::string& path) override;                                          \
    std::string ProgramFolder(const char* argv0) override;                                        \
    void SetVolume(int percent) override;                                                         \
    std::string KeptPlace(Kept place) override;

// The platform in use: set once at start-up (or by a test) before anything else runs.
Platform& System();
void SetSystem(Platform* platform);
