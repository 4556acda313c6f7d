"""Reads the timing trace that the program writes when TESSARO_TRACE names a file: one line per
noted moment, "<microseconds on the monotonic clock> <event>". "step" marks a step whose drawing
is done and whose wait begins; "frame" marks an image put on the window (after the window system
has taken it); "window" marks the window mapped.

  trace.py startup TRACE EXEC-STAMP   ms from exec to the window, and to the first step's frame
  trace.py gaps TRACE                 median, p95 and standard deviation of the gaps between the
                                      frames of consecutive steps (ms), and how many gaps
  trace.py span TRACE                 the first and the last step's frame (microseconds)
"""
import statistics
import sys


def read(path):
    events = []
    with open(path) as trace:
        for line in trace:
            parts = line.split()
            if len(parts) == 2:
                events.append((int(parts[0]), parts[1]))
    return events


def step_frames(events):
    """For every step, the moment its frame reached the window, or None when the step changed
    nothing on screen (the end of a line, a command)."""
    frames = []
    for i, (_, event) in enumerate(events):
        if event != "step":
            continue
        shown = None
        for at, later in events[i + 1:]:
            if later == "step":
                break
            if later == "frame":
                shown = at
                break
        frames.append(shown)
    return frames


def startup(path, stamp_path):
    events = read(path)
    with open(stamp_path) as stamp:
        exec_at = int(stamp.read())
    window = next(at for at, event in events if event == "window")
    first = next(at for at in step_frames(events) if at is not None)
    print(f"{(window - exec_at) / 1000:.2f} {(first - exec_at) / 1000:.2f}")


def gaps(path):
    frames = step_frames(read(path))
    between = [(b - a) / 1000 for a, b in zip(frames, frames[1:]) if a is not None and b is not None]
    between.sort()
    p95 = between[min(len(between) - 1, int(round(0.95 * (len(between) - 1))))]
    print(f"{statistics.median(between):.3f} {p95:.3f} {statistics.pstdev(between):.3f} {len(between)}")


def span(path):
    frames = [at for at in step_frames(read(path)) if at is not None]
    print(frames[0], frames[-1])


if __name__ == "__main__":
    if sys.argv[1] == "span":
        span(sys.argv[2])
    elif sys.argv[1] == "startup":
        startup(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == "gaps":
        gaps(sys.argv[2])
    else:
        sys.exit(__doc__)
