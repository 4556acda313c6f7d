#!/usr/bin/env python3
"""Checks the bundled sample story without the player.

    python3 tests/story/check_story.py

It reads the files under story/ as the player would (scenario files in code page 932 with CR LF
line ends, bitmaps, MIDI files, wave files), plays the script through a small model of the
interpreter along every pair of answers, runs the player's own checker on it (`tessaro check`,
the program given as the first argument, by default build/tessaro), and regenerates the whole
folder to make sure the committed files are exactly what tools/make_story.py writes. Ends with
"N passed, M failed" and a non-zero exit status when anything failed.
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
ARGUMENTS = {"T": 3, "J": 3, "W": 2, "D": 2, "L": 2, "B": 2, "S": 2, "R": 2, "F": 2}
FOLDERS = {"L": ("Picture", "Pic", ".bmp"), "B": ("Bgm", "Bgm", ".mid"),
           "W": ("Wave", "Wave", ".wav"), "D": ("Data", "Data", ".Dat")}


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


def tokens(lines):
    """(line number, command letter, argument) for every command outside question texts and
    answers, in file order; "Q" is reported with its line."""
    out, skip = [], 0
    for number, line in enumerate(lines):
        if skip:
            skip -= 1
            continue
        i = 0
        while i < len(line):
            ch = line[i]
            if ch in COMMANDS or ch == "e":
                argument = line[i + 1:i + 1 + ARGUMENTS.get(ch, 0)]
                out.append((number, ch, argument))
                if ch == "Q":
                    skip = 2
                    break
                i += 1 + len(argument)
            else:
                i += 1
    return out


def glyph_width(text):
    return sum(6 if ord(ch) < 0x80 or 0xFF61 <= ord(ch) <= 0xFF9F else 12 for ch in text)


# --- a model of the interpreter -------------------------------------------------------------

class StoryError(Exception):
    pass


def play(answers):
    """Runs the story with the given answers (True = first answer) to its end. Returns a dict:
    how it "ended", the "spaces" and "downs" pressed, the "pictures" shown, "tunes" opened and
    "sounds" played, and the rows of text shown "after" the last question. Raises StoryError
    on anything a reader would notice."""
    store = [""] * 501
    files = {}

    def load(name):
        if name not in files:
            if find_file("Data", f"Data{name}.Dat") is None:
                raise StoryError(f"no scenario file Data{name}.Dat")
            files[name] = read_lines(name)
        lines = files[name]
        for i, line in enumerate(lines):
            store[i] = line + "\\"
        store[len(lines)] = "e"
        return len(lines)

    length = load("00")
    line, pos, row = 0, 1, 0
    rows = [""] * 5
    flags = [False] * 256
    unread = False
    answers = list(answers)
    spaces = downs = 0
    pictures, tunes, sounds, shown = [], [], [], []
    last_question = 0

    def result(ended):
        return {"ended": ended, "spaces": spaces, "downs": downs, "pictures": pictures,
                "tunes": tunes, "sounds": sounds, "after": shown[last_question:]}

    def clear(why):
        nonlocal rows, row, unread
        if unread:
            raise StoryError(f"text cleared by {why} before the reader pressed Space: {rows}")
        rows, row = [""] * 5, 0

    for _ in range(200000):
        if not 0 <= line <= 500:
            raise StoryError(f"line {line} is outside the store")
        text = store[line]
        if pos > len(text):
            raise StoryError(f"ran past the end of line {line}: {text!r}")
        ch = text[pos - 1]
        argument = text[pos:pos + ARGUMENTS.get(ch, 0)]
        if ch in ARGUMENTS and (len(argument) < ARGUMENTS[ch] or "\\" in argument):
            raise StoryError(f"{ch} on line {line} swallows the end of the line")
        if ch in "\\\n":
            line, pos = line + 1, 0
            row += 1
            if row > 4:
                clear("a full box")
        elif ch == "e":
            if line != length:
                raise StoryError(f"an 'e' inside line {line} ends the story")
            return result("end mark")
        elif ch == "C":
            clear("C")
        elif ch == "P":
            spaces += 1
            unread = False
        elif ch == "T":
            pos += 3
        elif ch in "WLB":
            folder, prefix, extension = FOLDERS[ch]
            if find_file(folder, prefix + argument + extension) is None:
                raise StoryError(f"{ch}{argument}: no file {prefix}{argument}{extension}")
            (sounds if ch == "W" else pictures if ch == "L" else tunes).append(argument)
            pos += 2
        elif ch == "D":
            length = load(argument)
            line, pos = 0, 0
            row += 1
            if row > 4:
                clear("D")
        elif ch == "J":
            line, pos = int(argument), 0
        elif ch in "XZ":
            pass
        elif ch == "Q":
            clear("a question")
            if not answers:
                raise StoryError("more questions than answers given")
            first = answers.pop(0)
            flags[255] = first
            spaces += 1
            downs += 0 if first else 1
            line, pos = line + 3, 0
            last_question = len(shown)
        elif ch in "SR":
            flags[int(argument, 16)] = ch == "S"
            pos += 2
        elif ch == "G":
            return result("game over")
        elif ch == "F":
            label = "a" if flags[int(argument, 16)] else "b"
            found = text.find(label, pos - 1)
            if found < 0:
                raise StoryError(f"no label {label} after F on line {line}")
            pos = found + 1
        else:
            if not rows[row]:
                shown.append(None)
            rows[row] += ch
            shown[-1] = rows[row]
            unread = True
            if glyph_width(rows[row]) > 280:
                raise StoryError(f"row too wide for the box: {rows[row]}")
        pos += 1
    raise StoryError("the story never ends")


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
def scenario_files_are_code_page_932():
    for name in scenario_names():
        read_raw(name).decode("cp932")


@check
def scenario_lines_end_in_cr_lf():
    for name in scenario_names():
        raw = read_raw(name)
        assert raw.endswith(b"\r\n"), f"Data{name}: last line has no CR LF"
        assert raw.count(b"\r") == raw.count(b"\n") == raw.count(b"\r\n"), \
            f"Data{name}: a lone CR or LF"
        assert len(read_lines(name)) <= 500, f"Data{name}: more than 500 lines"


@check
def jumps_stay_inside_their_file():
    for name in scenario_names():
        lines = read_lines(name)
        for number, ch, argument in tokens(lines):
            if ch == "J":
                assert argument.isdigit() and len(argument) == 3, f"Data{name}:{number} J{argument}"
                assert int(argument) < len(lines), f"Data{name}:{number} jumps to {argument}"


@check
def named_files_exist():
    for name in scenario_names():
        for number, ch, argument in tokens(read_lines(name)):
            if ch in FOLDERS:
                folder, prefix, extension = FOLDERS[ch]
                assert len(argument) == 2 and find_file(folder, prefix + argument + extension), \
                    f"Data{name}:{number} {ch}{argument} names no file"


@check
def questions_have_two_answers():
    for name in scenario_names():
        lines = read_lines(name)
        for number, ch, _ in tokens(lines):
            if ch == "Q":
                assert number + 2 < len(lines), f"Data{name}:{number} lacks answer lines"
                for answer in lines[number + 1:number + 3]:
                    assert answer.strip(), f"Data{name}:{number} has an empty answer"
                    assert glyph_width(answer) <= 265, f"Data{name}: answer too wide: {answer}"


@check
def text_holds_no_stray_letters():
    """Outside arguments, only Japanese text and the branch labels after an F."""
    for name in scenario_names():
        lines = read_lines(name)
        for number, line in enumerate(lines):
            spans = [t for t in tokens(lines) if t[0] == number]
            if any(t[1] == "Q" for t in spans):
                line = line[:line.index("Q")]
            if number >= 1 and any(t[1] == "Q" and t[0] in (number - 1, number - 2)
                                   for t in tokens(lines)):
                continue  # an answer line: shown as it is
            i, branch = 0, False
            while i < len(line):
                ch = line[i]
                if ch in COMMANDS:
                    branch = branch or ch == "F"
                    if ch == "F":
                        assert not set(line[i + 1:i + 3]) & {"a", "b"}, \
                            f"Data{name}:{number} flag index holds a label letter"
                    i += 1 + ARGUMENTS.get(ch, 0)
                    continue
                assert ch != "e", f"Data{name}:{number} 'e' in the text ends the story"
                assert ord(ch) >= 0x80 or (branch and ch in "ab"), \
                    f"Data{name}:{number} stray {ch!r} in {line}"
                i += 1


@check
def every_command_is_used():
    used, questions = set(), 0
    for name in scenario_names():
        for _, ch, _ in tokens(read_lines(name)):
            used.add(ch)
            questions += ch == "Q"
    missing = set(COMMANDS) - used
    assert not missing, f"never used: {''.join(sorted(missing))}"
    assert questions >= 2, "fewer than two questions"


@check
def every_pair_of_answers_reaches_an_ending():
    endings = {}
    for answers in ((True, True), (True, False), (False, True), (False, False)):
        run = play(answers)
        endings[answers] = run["ended"]
        print(f"    answers {'/'.join('first' if a else 'second' for a in answers)}: "
              f"{run['ended']} after {run['spaces']} Space, {run['downs']} Down")
    assert endings[(True, True)] == endings[(False, True)] == "end mark"
    assert endings[(True, False)] == endings[(False, False)] == "game over"


@check
def first_choice_changes_both_endings():
    """The flag set by the first answer still shows in the text after the second question."""
    for second in (True, False):
        sea, room = play((True, second))["after"], play((False, second))["after"]
        assert len(sea) == len(room), "the first answer changes the number of rows"
        assert sea != room, "the first answer makes no difference to this ending"


@check
def story_shows_enough_pictures_tunes_and_sounds():
    pictures, tunes, sounds = set(), set(), set()
    for answers in ((True, True), (False, False)):
        run = play(answers)
        pictures |= set(run["pictures"])
        tunes |= set(run["tunes"])
        sounds |= set(run["sounds"])
    assert len(pictures) >= 4 and len(tunes) >= 2 and len(sounds) >= 2, (pictures, tunes, sounds)


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
def every_path_plays_as_the_model_says():
    # "tessaro paths" plays the real interpreter through every pair of answers: each path ends,
    # shows its pictures and waits at its pages as the model above says.
    run = subprocess.run([TESSARO, "paths", "--json", STORY], capture_output=True, text=True, timeout=30)
    assert run.returncode == 0, run.stdout + run.stderr
    report = json.loads(run.stdout)
    assert not report["moreRemain"] and not report["neverReached"], report
    paths = {tuple(a["answer"] == 1 for a in path["answers"]): path for path in report["paths"]}
    assert len(paths) == len(report["paths"]) == 4, sorted(paths)
    for answers, path in paths.items():
        model = play(answers)
        endings = {"end mark": ("end mark", "end of file"), "game over": ("game over",)}[model["ended"]]
        assert path["ending"] in endings, (answers, path["ending"], model["ended"])
        assert path["pictures"] == ["Pic" + p for p in dict.fromkeys(model["pictures"])], (answers, path)
        assert path["pageWaits"] == model["spaces"] - len(answers), (answers, path["pageWaits"])
        print(f"    {answers}: {path['ending']}, {path['readingMs'] / 1000:.1f} s")


@check
def generator_reproduces_the_folder():
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make_story.py"), out],
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
        except (AssertionError, StoryError, UnicodeDecodeError, subprocess.CalledProcessError,
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
