#!/usr/bin/env python3
"""Checks the bundled sample story without the player.

    python3 tests/story/check_story.py

The player's own checker (`tessaro check`, the program given as the first argument, by default
build/tessaro) reads the scenario files as the player does and walks every path through them;
what it cannot know is checked here: the sample story uses every command and CR LF line ends, its
bitmaps, MIDI files and wave files are of the kinds a story should show the player handling, the
window tests' expected pixels fit the pictures, and the committed folder is exactly what
devtools/make_story.py writes. (The window tests play both endings with the real program.) Ends
with "N passed, M failed" and a non-zero exit status when anything failed.
"""

import json
import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
STORY = os.path.join(ROOT, "story")
TESSARO = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "tessaro")
COMMANDS = "CPTWDJLBXZQSRGF"


# --- reading the story folder -------------------------------------------------------------

def find_file(folder, name):
    """The path of name in story/folder, matched without regard to letter case, or None."""
    directory = os.path.join(STORY, folder)
    if not os.path.isdir(directory):
        return None
    for entry in os.listdir(directory):
        if entry.lower() == name.lower():
            return os.path.join(directory, entry)
    return None


def scenario_names():
    return sorted(n[4:6] for n in os.listdir(os.path.join(STORY, "Data"))
                  if n.lower().startswith("data") and n.lower().endswith(".dat"))


def read_raw(name):
    with open(find_file("Data", f"Data{name}.Dat"), "rb") as f:
        return f.read()


def read_lines(name):
    """Script lines of one file, split the way the player splits them (CR LF or a lone CR)."""
    text = read_raw(name).decode("cp932")
    lines, current, i = [], "", 0
    while i < len(text):
        if text[i] == "\r":
            lines.append(current)
            current = ""
            i += 2 if text[i + 1:i + 2] == "\n" else 1
        else:
            current += text[i]
            i += 1
    if current:
        lines.append(current)
    return lines


# --- reading the assets ---------------------------------------------------------------------

def read_bmp(path):
    """(width, height, bits, pixel(x, y) -> (r, g, b)) of an uncompressed bottom-up BMP."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM", "not a BMP"
    size, _, _, offset = struct.unpack_from("<IHHI", data, 2)
    assert size == len(data), "file size field is wrong"
    (header, width, height, planes, bits, compression, _, _, _,
     used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert header == 40 and planes == 1 and compression == 0, "not a plain BITMAPINFOHEADER BMP"
    assert 0 < width <= 300 and 0 < height <= 300, "not bottom-up, or larger than the screen"
    assert bits in (8, 24), f"{bits} bits"
    stride = (width * bits // 8 + 3) & ~3
    assert offset + stride * height == len(data), "pixel data size does not match"
    palette = []
    if bits == 8:
        entries = used or 256
        assert offset == 54 + 4 * entries, "palette size does not match"
        palette = [tuple(data[54 + 4 * i + k] for k in (2, 1, 0)) for i in range(entries)]

    def pixel(x, y):
        start = offset + (height - 1 - y) * stride
        if bits == 24:
            b, g, r = data[start + 3 * x:start + 3 * x + 3]
            return (r, g, b)
        return palette[data[start + x]]
    return width, height, bits, pixel


def expected_pixels():
    table = {}
    with open(os.path.join(STORY, "expected-pixels.txt"), encoding="ascii") as f:
        for line in f:
            name, x, y, r, g, b = line.split()
            table.setdefault(name, {})[(int(x), int(y))] = (int(r), int(g), int(b))
    return table


def read_midi(path):
    """(format, tracks as lists of (tick, event bytes), ticks per quarter, tempos)."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:4] == b"MThd" and struct.unpack_from(">I", data, 4)[0] == 6
    fmt, count, division = struct.unpack_from(">HHH", data, 8)
    pos, tracks = 14, []
    for _ in range(count):
        assert data[pos:pos + 4] == b"MTrk", "track chunk expected"
        end = pos + 8 + struct.unpack_from(">I", data, pos + 4)[0]
        pos += 8
        tick, running, events = 0, None, []
        while pos < end:
            delta = 0
            while True:
                byte = data[pos]
                pos += 1
                delta = (delta << 7) | (byte & 0x7F)
                if byte < 0x80:
                    break
            tick += delta
            status = data[pos]
            if status < 0x80:
                status = running
            else:
                pos += 1
            if status == 0xFF:
                kind, length = data[pos], data[pos + 1]
                assert length < 0x80
                events.append((tick, bytes((0xFF, kind)) + data[pos + 2:pos + 2 + length]))
                pos += 2 + length
            else:
                running = status
                size = 1 if status & 0xF0 in (0xC0, 0xD0) else 2
                events.append((tick, bytes((status,)) + data[pos:pos + size]))
                pos += size
        assert pos == end and events[-1][1] == b"\xFF\x2F", "track does not end cleanly"
        tracks.append(events)
    return fmt, tracks, division


# --- the checks -----------------------------------------------------------------------------

CHECKS = []


def check(function):
    CHECKS.append(function)
    return function


@check
def scenario_lines_end_in_cr_lf():
    for name in scenario_names():
        raw = read_raw(name)
        assert raw.endswith(b"\r\n"), f"Data{name}: last line has no CR LF"
        assert raw.count(b"\r") == raw.count(b"\n") == raw.count(b"\r\n"), \
            f"Data{name}: a lone CR or LF"
        assert len(read_lines(name)) <= 500, f"Data{name}: more than 500 lines"


@check
def every_command_is_used():
    """The checker warns of a letter that stands in story text, so every ASCII letter of the
    sample is a command, its argument or a branch label."""
    used, questions = set(), 0
    for name in scenario_names():
        for line in read_lines(name):
            used |= set(line)
            questions += "Q" in line
    missing = set(COMMANDS) - used
    assert not missing, f"never used: {''.join(sorted(missing))}"
    assert questions >= 2, "fewer than two questions"


@check
def pictures_are_plain_bitmaps_of_both_kinds():
    kinds = set()
    for entry in sorted(os.listdir(os.path.join(STORY, "Picture"))):
        kinds.add(read_bmp(os.path.join(STORY, "Picture", entry))[2])
    assert kinds == {8, 24}, f"bit depths used: {kinds}"


@check
def expected_pixels_match_the_pictures():
    table = expected_pixels()
    assert len(table) >= 4
    for name, points in table.items():
        _, _, _, pixel = read_bmp(find_file("Picture", name + ".bmp"))
        for (x, y), colour in points.items():
            assert y < 195, f"{name}: ({x}, {y}) lies under the message box"
            for dy in range(-3, 4):
                for dx in range(-3, 4):
                    assert pixel(x + dx, y + dy) == colour, \
                        f"{name} ({x + dx}, {y + dy}) is {pixel(x + dx, y + dy)}, not {colour}"


@check
def expected_pixels_tell_the_pictures_apart():
    table = expected_pixels()
    for name, points in table.items():
        for other in table:
            if other != name:
                _, _, _, pixel = read_bmp(find_file("Picture", other + ".bmp"))
                assert any(pixel(x, y) != c for (x, y), c in points.items()), \
                    f"the points of {name} also match {other}"


@check
def tunes_are_loopable_format_1_files():
    for entry in sorted(os.listdir(os.path.join(STORY, "Bgm"))):
        fmt, tracks, division = read_midi(os.path.join(STORY, "Bgm", entry))
        assert fmt == 1 and len(tracks) >= 3, f"{entry}: format {fmt}, {len(tracks)} tracks"
        tempo = [e for _, e in tracks[0] if e[:2] == b"\xFF\x51"]
        signature = [e for _, e in tracks[0] if e[:2] == b"\xFF\x58"]
        assert len(tempo) == 1 and len(signature) == 1, f"{entry}: one tempo and metre expected"
        seconds_per_tick = int.from_bytes(tempo[0][2:5], "big") / 1e6 / division
        bar = signature[0][2] * division * 4 // (2 ** signature[0][3])
        ends = {events[-1][0] for events in tracks}
        assert len(ends) == 1, f"{entry}: tracks end at different times {ends}"
        end = ends.pop()
        assert end % bar == 0, f"{entry}: ends inside a bar"
        assert 20 <= end * seconds_per_tick <= 60, f"{entry}: {end * seconds_per_tick:.1f} s"
        programs, sounding = set(), {}
        for events in tracks:
            for tick, event in events:
                kind, channel = event[0] & 0xF0, event[0] & 0x0F
                if kind == 0xC0:
                    programs.add(event[1])
                if kind == 0x90 and event[2] > 0:
                    sounding[(channel, event[1])] = tick
                elif kind == 0x80 or (kind == 0x90 and event[2] == 0):
                    assert sounding.pop((channel, event[1]), None) is not None, \
                        f"{entry}: note off without note on"
        assert not sounding, f"{entry}: notes left sounding"
        assert len(programs) >= 3, f"{entry}: only {len(programs)} instruments"
        print(f"    {entry}: {len(tracks)} tracks, {end * seconds_per_tick:.1f} s")


@check
def sounds_are_short_pcm_waves():
    for entry in sorted(os.listdir(os.path.join(STORY, "Wave"))):
        with open(os.path.join(STORY, "Wave", entry), "rb") as f:
            data = f.read()
        assert data[:4] == b"RIFF" and data[8:16] == b"WAVEfmt "
        assert struct.unpack_from("<I", data, 4)[0] == len(data) - 8
        fmt, channels, rate, _, block, bits = struct.unpack_from("<HHIIHH", data, 20)
        assert fmt == 1 and bits == 16 and channels in (1, 2) and rate in (22050, 44100)
        assert data[36:40] == b"data"
        frames = struct.unpack_from("<I", data, 40)[0] // block
        assert 0.2 <= frames / rate <= 1.5, f"{entry}: {frames / rate:.2f} s"
        samples = struct.unpack_from(f"<{frames * channels}h", data, 44)
        assert max(abs(s) for s in samples) > 3000, f"{entry}: nearly silent"


@check
def the_players_checker_finds_nothing():
    run = subprocess.run([TESSARO, "check", STORY], capture_output=True, text=True, timeout=30)
    print("    " + run.stdout.strip().replace("\n", "\n    "))
    assert run.returncode == 0 and run.stdout.startswith("0 errors, 0 warnings, 0 notes"), run.stdout


@check
def every_path_reaches_an_ending():
    # "tessaro paths" plays the real interpreter through every pair of answers: every line is
    # reached, each path ends at an ending (both kinds), showing pictures on the way.
    run = subprocess.run([TESSARO, "paths", "--json", STORY], capture_output=True, text=True, timeout=30)
    assert run.returncode == 0, run.stdout + run.stderr
    report = json.loads(run.stdout)
    assert not report["moreRemain"] and not report["neverReached"], report
    paths = {tuple(a["answer"] == 1 for a in path["answers"]): path for path in report["paths"]}
    assert len(paths) == len(report["paths"]) == 4, sorted(paths)
    endings = set()
    for answers, path in paths.items():
        assert path["ending"] in ("end mark", "end of file", "game over"), (answers, path["ending"])
        endings.add("game over" if path["ending"] == "game over" else "end")
        assert path["pictures"] and path["pageWaits"] > 0, (answers, path)
        print(f"    {answers}: {path['ending']}, {path['readingMs'] / 1000:.1f} s")
    assert endings == {"end", "game over"}, endings


@check
def generator_reproduces_the_folder():
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, os.path.join(ROOT, "devtools", "make_story.py"), out],
                       check=True, stdout=subprocess.DEVNULL)

        def listing(top):
            return sorted(os.path.relpath(os.path.join(d, f), top)
                          for d, _, files in os.walk(top) for f in files)
        made, committed = listing(out), listing(STORY)
        assert made == committed, f"files differ: {sorted(set(made) ^ set(committed))}"
        for relative in made:
            with open(os.path.join(out, relative), "rb") as a, \
                    open(os.path.join(STORY, relative), "rb") as b:
                assert a.read() == b.read(), f"{relative} differs from what the generator writes"


def main():
    passed = failed = 0
    for function in CHECKS:
        try:
            function()
        except (AssertionError, UnicodeDecodeError, subprocess.CalledProcessError,
                subprocess.TimeoutExpired,
                OSError, ValueError, TypeError, IndexError, struct.error) as error:
            failed += 1
            print(f"FAIL {function.__name__}: {type(error).__name__}: {error}")
        else:
            passed += 1
            print(f"ok   {function.__name__}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
