"""Plays stories in the real program as a careless reader would, for a given time, from a printed
seed: every key the reader has (Space, Enter, keypad Enter, Up, Down, PageUp, PageDown, Home,
Escape, M, F11, Alt+Enter, held Ctrl), clicks of both buttons on the picture, on the box and on
each answer, the wheel both ways, pointer moves, window moves, focus changes away and back, and
closes, at random moments. Each run of the program starts with random options (--text-speed,
--volume, --scale, --fullscreen, now and then --start at a random line of the sample story); after
a close it is sometimes started again on the same story, with the same folders for what it keeps
(XDG_STATE_HOME and XDG_CONFIG_HOME point into a folder of the monkey's own).

The stories are the sample story and a small story that loops for ever through music, effects,
pictures, timed pauses, a question and chaining.

It fails on: an exit status other than 0 (an ending, a game-over box closed, or the window
closed all end with 0), an X error, a sanitizer's report, the window not answering a ping (the
window manager's _NET_WM_PING, answered whenever the program reads its events) for more than
2 s, and a backlog that does not stay open: PageUp, Home or the wheel turned up at a moment with
no question and no box on screen must open the backlog, and it stays open until the reader
closes it (the program's timing trace, TESSARO_TRACE, notes "question", "answered", "box",
"box-closed", "backlog-open" and "backlog-closed:" with the key that closed it).

At the end it prints how often it took each kind of action, as
"monkey: actions NAME=COUNT ...". A run of 60 s or more that never took one kind fails: the
monkey did not do its job.

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

from loop_story import write_story

PING_LIMIT = 2.0       # seconds the window may take to answer
EXIT_LIMIT = 20.0      # seconds the program may take to end after a close or an ending
X_LIMIT = 5            # every xdotool call is bounded
WINDOW_LIMIT = 60.0    # seconds the sanitizer build may take to show its window, on a loaded machine
OPEN_LIMIT = 5.0       # seconds a backlog key may take to open the backlog
FULL_RUN = 60.0        # a run this long must have taken every kind of action

# Where things are in the program's image (304 x 304: a 2-pixel border around the 300 x 300
# picture area); the window shows it at a whole scale, centred when fullscreen.
IMAGE = 304
BORDER = 2
PICTURE = (BORDER, BORDER, 300, 195)              # x, y, width, height: above the box
BOX = (BORDER + 5, BORDER + 200, 290, 70)         # the message box
ANSWERS = [(BORDER + 30, BORDER + 210 + 15, 260, 15),   # the rows of a question's two answers
           (BORDER + 30, BORDER + 210 + 30, 260, 15)]

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


def start_x():
    # The number the server says it took can be one another server holds the socket of, and then
    # it gives up: such a start is tried again.
    for _ in range(10):
        read, write = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24",
                                   "-nolisten", "tcp", "-noreset", "-fp", "built-ins"],
                                  pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        # Up to the end of its line: the server may write the number and its newline apart, and a
        # pipe closed in between ends it.
        said = b""
        while not said.endswith(b"\n"):
            part = os.read(read, 16)
            if not part:
                break
            said += part
        number = said.decode().strip()
        os.close(read)
        os.environ["DISPLAY"] = ":" + number
        time.sleep(0.5)
        if number and server.poll() is None and subprocess.run(
                ["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            return server
        server.kill()
        server.wait()
    raise SystemExit("monkey: no X server could be started")


class Trace:
    """What the program's timing trace says it is showing: read on from where the last look ended."""

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.question = self.box = self.backlog = False
        self.stepped = False     # the story has begun, so the reader's keys are listened to
        self.events = []         # every event read so far, in order
        self.ignored_x_errors = 0

    def read(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except FileNotFoundError:
            return
        end = data.rfind(b"\n") + 1  # a line still being written is read next time
        self.offset += end
        for line in data[:end].decode(errors="replace").splitlines():
            parts = line.split(maxsplit=1)
            if len(parts) != 2:
                continue
            event = parts[1]
            self.events.append(event)
            if event == "step":
                self.stepped = True
            elif event in ("question", "answered"):
                self.question = event == "question"
            elif event in ("box", "box-closed"):
                self.box = event == "box"
            elif event == "backlog-open" or event.startswith("backlog-closed"):
                self.backlog = event == "backlog-open"
            elif event.startswith("x-error-ignored"):
                self.ignored_x_errors += 1


class Session:
    """One run of the program on one story, with its options and the actions done to it."""

    def __init__(self, program, story, options, scratch, number, keep):
        self.log = [f"story {os.path.basename(story)} {' '.join(options)}".strip()]
        self.err_path = os.path.join(scratch, f"err{number}")
        self.trace = Trace(os.path.join(scratch, f"trace{number}"))
        env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE="/dev/null",
                   TESSARO_TRACE=self.trace.path,
                   XDG_STATE_HOME=os.path.join(keep, "state"), XDG_CONFIG_HOME=os.path.join(keep, "config"),
                   XDG_DATA_HOME=os.path.join(keep, "data"), XDG_CACHE_HOME=os.path.join(keep, "cache"))
        with open(self.err_path, "w") as err:
            self.process = subprocess.Popen([program, *options, story], stdout=subprocess.DEVNULL,
                                            stderr=err, env=env)
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


# --- the reader's actions ---------------------------------------------------------------------
# Each is one row: its name in the counts, how often it is drawn (at a question, the keys and
# clicks that answer are drawn more often), and what it does. A new key of the reader's is one
# row here.

class Reader:
    """What the monkey does to one session's window."""

    def __init__(self, rng, session, other, pinger):
        self.rng, self.session, self.other, self.pinger = rng, session, other, pinger
        # The keys that close the backlog, pressed since it last closed: what a backlog that
        # closes by itself was closed by.
        self.closers = []

    def window_place(self):
        """The window's size and the image's scale and offset in it."""
        shell = xdotool("getwindowgeometry", "--shell", self.session.window)
        size = dict(line.split("=", 1) for line in shell.splitlines() if "=" in line)
        width, height = int(size.get("WIDTH", IMAGE)), int(size.get("HEIGHT", IMAGE))
        scale = max(1, min(width // IMAGE, height // IMAGE))
        return scale, (width - IMAGE * scale) // 2, (height - IMAGE * scale) // 2

    def point_in(self, area):
        x, y, w, h = area
        scale, left, top = self.window_place()
        return (left + (x + self.rng.randrange(w)) * scale + scale // 2,
                top + (y + self.rng.randrange(h)) * scale + scale // 2)

    def key(self, name):
        xdotool("key", name)
        return f"key {name}"

    def click(self, button, area, what):
        x, y = self.point_in(area)
        xdotool("mousemove", "--window", self.session.window, x, y, "click", button)
        return f"click {button} on the {what} at {x},{y}"

    def wheel(self, button):
        x, y = self.point_in(PICTURE)
        xdotool("mousemove", "--window", self.session.window, x, y, "click", button)
        return f"wheel {'up' if button == 4 else 'down'} at {x},{y}"

    def ctrl_held(self):
        held = round(self.rng.uniform(0.2, 2.0), 2)
        xdotool("keydown", "Control_L")
        time.sleep(held)
        xdotool("keyup", "Control_L")
        return f"ctrl held {held}s"

    def pointer(self):
        x, y = self.rng.randrange(0, 400), self.rng.randrange(0, 400)
        xdotool("mousemove", "--window", self.session.window, x, y)
        return f"pointer to {x},{y}"

    def focus_away(self):
        away = round(self.rng.uniform(0.1, 1.5), 2)
        if self.other is not None:
            xdotool("windowfocus", self.other)
        time.sleep(away)
        xdotool("windowfocus", self.session.window)
        return f"focus away {away}s and back"

    def window_move(self):
        x, y = self.rng.randrange(0, 900), self.rng.randrange(0, 500)
        xdotool("windowmove", self.session.window, x, y)
        return f"window moved to {x},{y}"

    def pause(self):
        pause = round(self.rng.uniform(0.2, 2.0), 2)
        time.sleep(pause)
        return f"nothing for {pause}s"

    def close(self):
        self.pinger.close(self.session.window)
        return "close"


# name, weight, weight at a question, action, opens the backlog (when not at a question)
ACTIONS = [
    ("Space",              9, 6, lambda r: r.key("space"), False),
    ("Enter",              3, 3, lambda r: r.key("Return"), False),
    ("KP_Enter",           2, 2, lambda r: r.key("KP_Enter"), False),
    ("Up",                 2, 5, lambda r: r.key("Up"), False),
    ("Down",               2, 5, lambda r: r.key("Down"), False),
    ("PageUp",             3, 3, lambda r: r.key("Prior"), True),
    ("PageDown",           2, 1, lambda r: r.key("Next"), False),
    ("Home",               2, 2, lambda r: r.key("Home"), True),
    ("Escape",             2, 1, lambda r: r.key("Escape"), False),
    ("M",                  1, 1, lambda r: r.key("m"), False),
    ("Ctrl+M",             0.5, 0.5, lambda r: r.key("ctrl+m"), False),
    ("F11",                1, 1, lambda r: r.key("F11"), False),
    ("Alt+Enter",          1, 1, lambda r: r.key("alt+Return"), False),
    ("Ctrl-held",          3, 2, lambda r: r.ctrl_held(), False),
    ("volume-down",        0.5, 0.5, lambda r: r.key("minus"), False),
    ("volume-up",          0.5, 0.5, lambda r: r.key("plus"), False),
    ("text-slower",        0.5, 0.5, lambda r: r.key("bracketleft"), False),
    ("text-faster",        0.5, 0.5, lambda r: r.key("bracketright"), False),
    ("auto-mode",          0.5, 0.5, lambda r: r.key("a"), False),
    ("left-click-picture", 3, 1, lambda r: r.click(1, PICTURE, "picture"), False),
    ("right-click-picture", 2, 1, lambda r: r.click(3, PICTURE, "picture"), False),
    ("left-click-box",     3, 1, lambda r: r.click(1, BOX, "box"), False),
    ("right-click-box",    1, 1, lambda r: r.click(3, BOX, "box"), False),
    ("left-click-answer1", 1, 4, lambda r: r.click(1, ANSWERS[0], "first answer"), False),
    ("left-click-answer2", 1, 4, lambda r: r.click(1, ANSWERS[1], "second answer"), False),
    ("right-click-answer1", 1, 1, lambda r: r.click(3, ANSWERS[0], "first answer"), False),
    ("right-click-answer2", 1, 1, lambda r: r.click(3, ANSWERS[1], "second answer"), False),
    ("wheel-up",           3, 3, lambda r: r.wheel(4), True),
    ("wheel-down",         2, 3, lambda r: r.wheel(5), False),
    ("pointer-move",       3, 3, lambda r: r.pointer(), False),
    ("focus-away",         3, 1, lambda r: r.focus_away(), False),
    ("window-move",        2, 1, lambda r: r.window_move(), False),
    ("pause",              3, 2, lambda r: r.pause(), False),
    ("close",              0.3, 0.3, lambda r: r.close(), False),
]

# The keys and clicks that close the backlog.
CLOSERS = {"Space", "Escape", "PageDown", "wheel-down", "right-click-picture", "right-click-box", "right-click-answer1",
           "right-click-answer2"}

# How a run of the program starts: each option is taken now and then; "restart" is a start on
# the story just closed, with the folders of what it keeps as they were left.
START_KINDS = ["--text-speed", "--volume", "--scale", "--fullscreen", "--start", "--from-start", "restart"]


def scenario_lines(story):
    """FILE:LINE for every line of every scenario file of the story."""
    places = []
    data = os.path.join(story, "Data")
    for name in sorted(os.listdir(data)):
        with open(os.path.join(data, name), "rb") as f:
            count = f.read().count(b"\n")
        places += [f"{name}:{line}" for line in range(1, count + 1)]
    return places


def start_options(rng, story, sample, want):
    """Random options for a run of the program; want: kinds to take this time, whatever the dice."""
    options = []
    if "--text-speed" in want or rng.random() < 0.4:
        options += ["--text-speed", rng.choice(["slow", "normal", "fast", "instant"])]
    if "--volume" in want or rng.random() < 0.4:
        options += ["--volume", str(rng.choice([0, 1, 30, 50, 99, 100]))]
    if "--fullscreen" in want or rng.random() < 0.15:
        options.append("--fullscreen")
    elif "--scale" in want or rng.random() < 0.4:
        options += ["--scale", rng.choice(["1", "2", "3", "auto"])]
    if story == sample and ("--start" in want or rng.random() < 0.25):
        options += ["--start", rng.choice(scenario_lines(sample))]
    elif "--from-start" in want or rng.random() < 0.1:
        options.append("--from-start")
    return options


def check_backlog(reader, trace, kind, counts):
    """After a key that opens the backlog at a moment with no question, no box and no backlog on
    screen: the backlog opens within OPEN_LIMIT and is still open a moment later. Returns what
    went wrong, or None."""
    session = reader.session
    deadline = time.monotonic() + OPEN_LIMIT
    seen = len(trace.events)
    while time.monotonic() < deadline and session.process.poll() is None:
        time.sleep(0.05)
        trace.read()
        new = trace.events[seen:]
        if "question" in new or "box" in new:
            return None  # the story moved on to a question or a box before the key was read
        if "backlog-open" in new:
            time.sleep(0.3)
            trace.read()
            after = trace.events[seen:]
            closed = [e for e in after[after.index("backlog-open"):] if e.startswith("backlog-closed")]
            if closed:
                return (f"{kind} opened the backlog, and it closed at once by itself: the program "
                        f"says by {closed[0].partition(':')[2]}, which was pressed before it opened "
                        f"(pressed since it last closed: {', '.join(reader.closers) or 'nothing'})")
            counts["backlog-shown"] = counts.get("backlog-shown", 0) + 1
            reader.closers.clear()
            return None
    if session.process.poll() is not None:
        return None
    return f"{kind} at a page with no question or box did not open the backlog within {OPEN_LIMIT} s"


def act(reader, counts, at_end):
    """One random action, with the backlog's check; returns (description, failure or None)."""
    trace = reader.session.trace
    trace.read()
    at_question = trace.question
    weights = []
    for name, weight, at_q, _, _ in ACTIONS:
        w = at_q if at_question else weight
        # Late in a run, a kind not taken yet is favoured, so that a minute takes every kind.
        if at_end and counts.get(name, 0) == 0:
            w *= 15
        weights.append(w)
    name, _, _, action, opens = reader.rng.choices(ACTIONS, weights)[0]
    counts[name] = counts.get(name, 0) + 1
    if trace.backlog:
        reader.closers.clear()
    elif name in CLOSERS:
        reader.closers.append(name)
    checked = (opens and trace.stepped and not trace.question and not trace.box and not trace.backlog)
    if checked:
        # The reader looks at the window before reaching for the key.
        xdotool("windowfocus", "--sync", reader.session.window)
        trace.read()
        checked = not (trace.question or trace.box or trace.backlog)
    description = action(reader)
    if at_question and name in ("PageUp", "Home", "wheel-up"):
        counts["at-question:" + name] = counts.get("at-question:" + name, 0) + 1
    if checked:
        return description, check_backlog(reader, trace, name, counts)
    return description, None


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
    keep = os.path.join(scratch, "kept")  # the reader's folders, kept from one start to the next
    server = start_x()
    other = other_process = session = None
    failure = None
    sessions = pings = ignored = 0
    slowest_start = 0.0
    counts = {name: 0 for name, *_ in ACTIONS}
    counts.update({kind: 0 for kind in START_KINDS})
    endings = {}
    started = time.monotonic()
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
        story, restart = None, False
        while failure is None and time.monotonic() < end_at:
            sessions += 1
            late = time.monotonic() - started > seconds * 0.4
            want = {k for k in START_KINDS if late and counts[k] == 0}
            if "--start" in want:
                restart, story = False, copy
            elif not restart:
                story = rng.choice([copy, loop])
            options = start_options(rng, story, copy, want)
            if restart:
                counts["restart"] += 1
            for kind in START_KINDS:
                if kind in options:
                    counts[kind] += 1
            session = Session(program, story, options, scratch, sessions, keep)
            asked = time.monotonic()
            if not session.find_window(WINDOW_LIMIT):
                failure = f"no window within {WINDOW_LIMIT:.0f} s (load average {os.getloadavg()[0]:.1f})"
                print(f"FAILED: session {sessions} ({session.log[0]}): {failure}; the program said:\n{session.stderr()}")
                break
            slowest_start = max(slowest_start, time.monotonic() - asked)
            xdotool("windowfocus", session.window)
            reader = Reader(rng, session, other, pinger)
            session_end = min(end_at, time.monotonic() + rng.uniform(3, 20))
            last_ping = time.monotonic()
            closed = False
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
                late = time.monotonic() - started > seconds * 0.4
                description, failure = act(reader, counts, late)
                session.log.append(description)
                if failure is not None or description == "close":
                    closed = description == "close"
                    break
                time.sleep(rng.choice([0.0, 0.02, 0.1, 0.3, 0.7]))
            if failure is None and session.process.poll() is None:
                session.log.append("close at the end of the session")
                pinger.close(session.window)
                closed = True
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
            session.trace.read()
            ignored += session.trace.ignored_x_errors
            if failure is not None:
                print(f"FAILED: session {sessions} after {time.monotonic() - started:.0f} s: {failure}")
                print("  " + session.log[0])
                print("  last actions: " + "; ".join(session.log[-15:]))
                print("  the program said:\n" + "\n".join("    " + l for l in session.stderr().splitlines()[-40:]))
                break
            # Started again on the story just closed, as a reader comes back to it.
            late = time.monotonic() - started > seconds * 0.4
            restart = closed and (rng.random() < 0.4 or (late and counts["restart"] == 0))
    finally:
        if session is not None and session.process.poll() is None:
            session.process.kill()
        if other_process is not None:
            other_process.kill()
        server.kill()
        server.wait()
        shutil.rmtree(scratch, ignore_errors=True)
    elapsed = time.monotonic() - started
    kinds = [name for name, *_ in ACTIONS] + START_KINDS
    print("monkey: actions " + " ".join(f"{k}={counts[k]}" for k in kinds))
    extra = {k: v for k, v in counts.items() if k not in kinds}
    print("monkey: also " + " ".join(f"{k}={v}" for k, v in sorted(extra.items())))
    missing = [k for k in kinds if counts[k] == 0]
    if failure is None and missing and seconds >= FULL_RUN:
        failure = "never took " + ", ".join(missing)
        print(f"FAILED: a run of {seconds:.0f} s never took: {' '.join(missing)}")
    actions = sum(counts[name] for name, *_ in ACTIONS)
    print(f"monkey: seed {seed}, {elapsed:.0f} s, {sessions} runs, {actions} actions, {pings} pings, "
          f"exit statuses {endings}, ignored X errors on gone windows {ignored}, slowest start to a "
          f"window {slowest_start:.1f} s: "
          f"{'FAILED' if failure else 'ok'}")
    sys.exit(1 if failure else 0)


if __name__ == "__main__":
    main()
