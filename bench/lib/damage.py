"""Watches a window from outside, as a reader's eyes would: the X server reports each change of
its pixels (the DAMAGE extension), and every change is printed as the monotonic clock's
microseconds when the report arrived, one line each, changes less than 2 ms apart as one.

  damage.py WINDOW-ID SECONDS      watches for at most SECONDS (or until killed)
  damage.py gaps CHANGES FROM TO   median, p95 and standard deviation of the gaps (ms) between
                                   the changes from FROM to TO (microseconds), and how many gaps
"""
import ctypes
import ctypes.util
import select
import statistics
import sys
import time


def watch(window, seconds):
    xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    damage = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xdamage") or "libXdamage.so.1")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    for name in ("XConnectionNumber", "XPending", "XNextEvent", "XFlush"):
        getattr(xlib, name).argtypes = [ctypes.c_void_p] + ([ctypes.c_void_p] if name == "XNextEvent" else [])
    damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
    damage.XDamageCreate.restype = ctypes.c_ulong
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("damage.py: cannot open the display")
    event_base, error_base = ctypes.c_int(), ctypes.c_int()
    if not damage.XDamageQueryExtension(display, ctypes.byref(event_base), ctypes.byref(error_base)):
        sys.exit("damage.py: the X server has no DAMAGE extension")
    damage.XDamageCreate(display, window, 0)  # XDamageReportRawRectangles: every change
    xlib.XFlush(display)
    event = (ctypes.c_long * 24)()
    fd = xlib.XConnectionNumber(display)
    deadline = time.monotonic() + seconds
    last = None
    while time.monotonic() < deadline:
        if not xlib.XPending(display):
            select.select([fd], [], [], 0.05)
            continue
        xlib.XNextEvent(display, event)
        now = time.monotonic_ns() // 1000
        if ctypes.cast(event, ctypes.POINTER(ctypes.c_int))[0] != event_base.value:
            continue
        if last is None or now - last >= 2000:
            print(now, flush=True)
        last = now


def gaps(path, first, last):
    with open(path) as f:
        changes = [int(line) for line in f if line.strip() and first <= int(line) <= last]
    between = sorted((b - a) / 1000 for a, b in zip(changes, changes[1:]))
    p95 = between[min(len(between) - 1, int(round(0.95 * (len(between) - 1))))]
    print(f"{statistics.median(between):.3f} {p95:.3f} {statistics.pstdev(between):.3f} {len(between)}")


if __name__ == "__main__":
    if sys.argv[1] == "gaps":
        gaps(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    else:
        watch(int(sys.argv[1], 0), float(sys.argv[2]))
