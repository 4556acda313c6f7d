"""Reads what the sample-story tests captured: a screenshot of the window's client area (raw RGB,
304 x 304) or the raw audio that SDL's "disk" driver wrote (signed 16-bit stereo, 44100 Hz, little
endian). Standard library only.

  story_check.py screen SHOT.rgb EXPECTED-PIXELS
      prints "PICTURE TEXT QUESTION": the picture whose known pixels all match (or "none"),
      whether white text stands in the message box ("text" or "empty"), and where the question
      arrow points ("first", "second" or "none" when no question is shown).
  story_check.py levels AUDIO FROM TO
      prints the loudness (root mean square, of 32768) of each 0.1 s block between FROM and TO
      seconds of the audio, one number a line.
  story_check.py seconds AUDIO
      prints how many seconds of audio the file holds.
"""
import array
import sys

SIZE = 304       # the client area: the 300 x 300 picture area inside a 2-pixel border
BORDER = 2
TOLERANCE = 6    # per colour channel, for the known picture pixels
RATE = 44100
CHANNELS = 2


def load_shot(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) != SIZE * SIZE * 3:
        raise SystemExit(f"{path}: {len(data)} bytes, not a {SIZE} x {SIZE} RGB image")
    return data


def colour(shot, x, y):
    """The colour at picture-area coordinates (x, y)."""
    at = ((y + BORDER) * SIZE + x + BORDER) * 3
    return shot[at], shot[at + 1], shot[at + 2]


def white(shot, x, y):
    return min(colour(shot, x, y)) >= 200


def any_white(shot, x0, x1, y0, y1):
    return any(white(shot, x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1))


def picture(shot, expected_path):
    points = {}
    with open(expected_path) as f:
        for line in f:
            fields = line.split()
            if len(fields) == 6:
                points.setdefault(fields[0], []).append(tuple(int(v) for v in fields[1:]))
    matches = [name for name, spots in sorted(points.items())
               if all(max(abs(a - b) for a, b in zip(colour(shot, x, y), rgb)) <= TOLERANCE
                      for x, y, *rgb in spots)]
    return matches[0] if len(matches) == 1 else "none"


def question(shot):
    """A question shows its text on row 0 and its answers on rows 1 and 2 from x = 30, with the
    arrow at x = 15 before one of them; text rows always start at x = 15, so a row of story text
    fills the arrow's place of every row it reaches."""
    arrow = [any_white(shot, 15, 28, y, y + 13) for y in (225, 240)]
    answers = [any_white(shot, 30, 290, y, y + 13) for y in (225, 240)]
    row3 = any_white(shot, 15, 290, 255, 268)
    if all(answers) and not row3 and arrow[0] != arrow[1]:
        return "first" if arrow[0] else "second"
    return "none"


def screen(shot_path, expected_path):
    shot = load_shot(shot_path)
    # The message box rows: client y 212 to 285, x 17 to 297.
    text = "text" if any_white(shot, 15, 295, 210, 283) else "empty"
    print(picture(shot, expected_path), text, question(shot))


def levels(audio_path, start, end):
    block = RATE // 10
    with open(audio_path, "rb") as f:
        f.seek(max(0, int(start * RATE)) * CHANNELS * 2)
        data = f.read(max(0, int((end - start) * RATE)) * CHANNELS * 2)
    samples = array.array("h")
    samples.frombytes(data[:len(data) - len(data) % 2])
    if sys.byteorder == "big":
        samples.byteswap()
    step = block * CHANNELS
    for at in range(0, len(samples) - step + 1, step):
        chunk = samples[at:at + step]
        print(round((sum(v * v for v in chunk) / len(chunk)) ** 0.5))


def main():
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "screen" and len(sys.argv) == 4:
        screen(sys.argv[2], sys.argv[3])
    elif command == "levels" and len(sys.argv) == 5:
        levels(sys.argv[2], float(sys.argv[3]), float(sys.argv[4]))
    elif command == "seconds" and len(sys.argv) == 3:
        import os
        print(os.path.getsize(sys.argv[2]) / (RATE * CHANNELS * 2))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main()
