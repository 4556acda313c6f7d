"""Plays stories in the real program as a careless reader would, for a given time: random keys
(Space, Enter, Up, Down, held Ctrl, F11, Alt+Enter, Escape), clicks, wheel turns, pointer moves,
window moves, focus changes away and back, and now and then a close, at random moments drawn
from a printed seed. The stories are the sample story and a small story that loops for ever
through music, effects, pictures, timed pauses, a question and chaining.

It fails on: an exit status other than 0 (an ending, a game-over box closed, or the window
closed all end with 0), an X error, a sanitizer's report, and the window not answering a ping
(the window manager's _NET_WM_PING, answered whenever the program reads its events) for more
than 2 s.

  monkey.py PROGRAM SAMPLE-STORY SECONDS [SEED]
"""
import ctypes
import ctypes.util
import os
import random
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PING_LIMIT = 2.0       # seconds the window may take to answer
EXIT_LIMIT = 20.0      # seconds the program may take to end after a close or an ending
X_LIMIT = 5            # every xdotool call is bounded

# The looping story: every kind of moment the reader can meet, over and over.
LOOP_STORY = {
    "00": "L01B01XT300最初の部屋。P\n"
          "CW01音がした。T500\n"
          "続きがある。P\n"
          "Q先へ進みますか\n"
          "はい\n"
          "いいえ\n"
          "FFFaS01J007bR01J007\n"
          "CL03B02X二つ目の曲。W02P\n"
          "D01\n",
    "01": "CL05W03次のファイル。T200\n"
          "ZT100止めて、また。XP\n"
          "CL02D00\n",
}


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", ClientMessage), ("pad", ctypes.c_long * 24)]


CLIENT_MESSAGE = 33
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class Pinger:
    """Sends _NET_WM_PING to a window and waits for the answer on the root window."""

    def __init__(self):
        x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.POINTER(Event)]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XPending.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
        x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
        # A window that has gone is not our error: the next ping finds the next window.
        self.handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        x11.XSetErrorHandler(self.handler)
        self.x11 = x11
        self.display = None
        for _ in range(50):  # a server under load may take a moment to take its first client
            self.display = x11.XOpenDisplay(None)
            if self.display:
                break
            time.sleep(0.1)
        if not self.display:
            raise SystemExit("monkey: cannot open the display")
        self.root = x11.XDefaultRootWindow(self.display)
        x11.XSelectInput(self.display, self.root, SUBSTRUCTURE_NOTIFY_MASK)
        self.protocols = x11.XInternAtom(self.display, b"WM_PROTOCOLS", False)
        self.ping = x11.XInternAtom(self.display, b"_NET_WM_PING", False)
        self.delete = x11.XInternAtom(self.display, b"WM_DELETE_WINDOW", False)
        self.count = 0

    def close(self, window):
        """Asks the window to close, as a window manager's close button does."""
        event = Event()
        event.client.type = CLIENT_MESSAGE
        event.client.window = window
        event.client.message_type = self.protocols
        event.client.format = 32
        event.client.data[0] = self.delete
        self.x11.XSendEvent(self.display, window, False, 0, ctypes.byref(event))
        self.x11.XFlush(self.display)

    def answers(self, window, limit):
        """Whether the window answers a ping within limit seconds."""
        self.count += 1
        stamp = self.count
        event = Event()
        event.client.type = CLIENT_MESSAGE
        event.client.window = window
        event.client.message_type = self.protocols
        event.client.format = 32
        event.client.data[0] = self.ping
        event.client.data[1] = stamp
        event.client.data[2] = window
        self.x11.XSendEvent(self.display, window, False, 0, ctypes.byref(event))
        self.x11.XFlush(self.display)
        deadline = time.monotonic() + limit
        fd = self.x11.XConnectionNumber(self.display)
        while True:
            while self.x11.XPending(self.display) > 0:
                got = Event()
                self.x11.XNextEvent(self.display, ctypes.byref(got))
                if (got.type == CLIENT_MESSAGE and got.client.message_type == self.protocols
                        and got.client.data[0] == self.ping and got.client.data[1] == stamp):
                    return True
            left = deadline - time.monotonic()
            if left <= 0:
                return False
            select.select([fd], [], [], left)


def xdotool(*args):
    try:
        return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                              timeout=X_LIMIT).stdout.strip()
    except subprocess.TimeoutExpired:
        return ""


def write_story(folder, sample):
    os.makedirs(os.path.join(folder, "Data"))
    for kind in ("Picture", "Bgm", "Wave"):
        shutil.copytree(os.path.join(sample, kind), os.path.join(folder, kind))
    for number, text in LOOP_STORY.items():
        with open(os.path.join(folder, "Data", f"Data{number}.Dat"), "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp932"))


def start_x():
    # The number the server says it took can be one another server holds the socket of, and then
    # it gives up: such a start is tried again.
    for _ in range(10):
        read, write = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24",
                                   "-nolisten", "tcp", "-noreset", "-fp", "built-ins"],
                                  pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = os.read(read, 16).decode().strip()
        os.close(read)
        os.environ["DISPLAY"] = ":" + number
        time.sleep(0.5)
        if number and server.poll() is None and subprocess.run(
                ["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            return server
        server.kill()
        server.wait()
    raise SystemExit("monkey: no X server could be started")


class Session:
    """One run of the program on one story, with the actions done to it."""

    def __init__(self, program, story, scratch, number):
        self.log = []
        self.err_path = os.path.join(scratch, f"err{number}")
        self.trace_path = os.path.join(scratch, f"trace{number}")
        # Each run is a first start: its own empty places for the reader's bookmark and settings.
        kept = os.path.join(scratch, f"kept{number}")
        env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE="/dev/null",
                   TESSARO_TRACE=self.trace_path, XDG_STATE_HOME=kept + "/state",
                   XDG_CONFIG_HOME=kept + "/config")
        with open(self.err_path, "w") as err:
            self.process = subprocess.Popen([program, story], stdout=subprocess.DEVNULL, stderr=err,
                                            env=env)
        self.window = None

    def find_window(self, limit):
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline and self.process.poll() is None:
            found = xdotool("search", "--all", "--pid", self.process.pid, "--class", "^tessaro$").split()
            if found:
                self.window = int(found[0])
                return True
            time.sleep(0.1)
        return False

    def stderr(self):
        with open(self.err_path, errors="replace") as f:
            return f.read()


def problems_in(text):
    marks = ("X Error", "The X server reported", "connection to the display", "AddressSanitizer",
             "LeakSanitizer", "runtime error:", "UndefinedBehaviorSanitizer")
    return [line for line in text.splitlines() if any(m in line for m in marks)]


def act(rng, session, other, pinger):
    """One random action; returns its description."""
    w = session.window
    choice = rng.random()
    if choice < 0.40:
        key = rng.choice(["space", "space", "space", "Return", "Up", "Down", "Escape", "F11",
                          "alt+Return", "KP_Enter"])
        xdotool("key", key)
        return f"key {key}"
    if choice < 0.50:
        held = round(rng.uniform(0.2, 2.0), 2)
        xdotool("keydown", "Control_L")
        time.sleep(held)
        xdotool("keyup", "Control_L")
        return f"ctrl held {held}s"
    if choice < 0.65:
        x, y = rng.randrange(0, 320), rng.randrange(0, 320)
        button = rng.choice([1, 1, 4, 5, 3])
        xdotool("mousemove", "--window", w, x, y, "click", button)
        return f"click {button} at {x},{y}"
    if choice < 0.75:
        x, y = rng.randrange(0, 400), rng.randrange(0, 400)
        xdotool("mousemove", "--window", w, x, y)
        return f"pointer to {x},{y}"
    if choice < 0.85:
        away = round(rng.uniform(0.1, 1.5), 2)
        xdotool("windowfocus", other)
        time.sleep(away)
        xdotool("windowfocus", w)
        return f"focus away {away}s and back"
    if choice < 0.92:
        x, y = rng.randrange(0, 900), rng.randrange(0, 500)
        xdotool("windowmove", w, x, y)
        return f"window moved to {x},{y}"
    if choice < 0.995:
        pause = round(rng.uniform(0.2, 2.0), 2)
        time.sleep(pause)
        return f"nothing for {pause}s"
    pinger.close(w)
    return "close"


def main():
    if len(sys.argv) not in (4, 5):
        raise SystemExit(__doc__)
    program, sample, seconds = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), float(sys.argv[3])
    seed = int(sys.argv[4]) if len(sys.argv) == 5 else int.from_bytes(os.urandom(4), "little")
    print(f"monkey: seed {seed} (to replay: scripts/monkey {sys.argv[3]} {seed})", flush=True)
    rng = random.Random(seed)
    # Stopped from outside, it still takes its X server and the program down with it.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    scratch = tempfile.mkdtemp(prefix="tessaro-monkey-")
    server = start_x()
    other = other_process = session = None
    failure = None
    sessions = actions = pings = ignored = 0
    endings = {}
    try:
        loop = os.path.join(scratch, "loop")
        write_story(loop, sample)
        copy = os.path.join(scratch, "sample")
        shutil.copytree(sample, copy)
        time.sleep(0.5)
        pinger = Pinger()
        # Another program's window, to take the focus away to.
        other_process = subprocess.Popen(["xmessage", "-name", "other", "-buttons", "",
                                          "-geometry", "+900+600", "another program"], stderr=subprocess.DEVNULL)
        for _ in range(100):
            found = xdotool("search", "--classname", "^other$").split()
            if found:
                other = int(found[0])
                break
            time.sleep(0.1)
        end_at = time.monotonic() + seconds
        while failure is None and time.monotonic() < end_at:
            sessions += 1
            story = rng.choice([copy, loop])
            session = Session(program, story, scratch, sessions)
            session.log.append(f"story {os.path.basename(story)}")
            if not session.find_window(30):
                failure = "no window within 30 s"
                print(f"FAILED: session {sessions}: {failure}; the program said:\n{session.stderr()}")
                break
            session_end = min(end_at, time.monotonic() + rng.uniform(5, 60))
            last_ping = time.monotonic()
            while session.process.poll() is None and time.monotonic() < session_end:
                if time.monotonic() - last_ping > 0.5:
                    pings += 1
                    last_ping = time.monotonic()
                    if session.process.poll() is None and not pinger.answers(session.window, PING_LIMIT):
                        # A program on its way out (an ending, with the leak check after it) no
                        # longer answers; one that does not end has stopped answering. How long
                        # it stays silent is measured, to tell a stall from a hang.
                        silent_since = last_ping
                        while session.process.poll() is None and time.monotonic() - silent_since < EXIT_LIMIT:
                            if pinger.answers(session.window, 0.5):
                                break
                        if session.process.poll() is None:
                            silent = time.monotonic() - silent_since
                            failure = f"the window did not answer for {silent:.1f} s"
                            if shutil.which("gdb"):  # where it is stuck
                                subprocess.run(["gdb", "-p", str(session.process.pid), "-batch", "-ex",
                                                "thread apply all bt 20"], timeout=60,
                                               stdout=sys.stdout, stderr=subprocess.DEVNULL)
                        break
                if other is None:
                    time.sleep(0.1)
                session.log.append(act(rng, session, other, pinger))
                actions += 1
                if session.log[-1] == "close":
                    break
                time.sleep(rng.choice([0.0, 0.02, 0.1, 0.3, 0.7]))
            if failure is None and session.process.poll() is None:
                session.log.append("close at the end of the session")
                pinger.close(session.window)
            if failure is None:
                try:
                    status = session.process.wait(EXIT_LIMIT)
                    endings[status] = endings.get(status, 0) + 1
                    if status != 0:
                        failure = f"exit status {status}"
                except subprocess.TimeoutExpired:
                    failure = f"still running {EXIT_LIMIT} s after its close"
            if session.process.poll() is None:
                session.process.kill()
                session.process.wait()
            problems = problems_in(session.stderr())
            if failure is None and problems:
                failure = "errors reported"
            if os.path.exists(session.trace_path):
                with open(session.trace_path, errors="replace") as f:
                    ignored += sum("x-error-ignored" in line for line in f)
            if failure is not None:
                print(f"FAILED: session {sessions}: {failure}")
                print("  last actions: " + "; ".join(session.log[-15:]))
                print("  the program said:\n" + "\n".join("    " + l for l in session.stderr().splitlines()[-40:]))
                break
    finally:
        if session is not None and session.process.poll() is None:
            session.process.kill()
        if other_process is not None:
            other_process.kill()
        server.kill()
        server.wait()
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"monkey: seed {seed}, {sessions} runs, {actions} actions, {pings} pings, exit statuses "
          f"{endings}, ignored X errors on gone windows {ignored}: {'FAILED' if failure else 'ok'}")
    sys.exit(1 if failure else 0)


if __name__ == "__main__":
    main()
