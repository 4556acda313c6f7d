#!/usr/bin/env python3
"""Keeps the layers honest: reads every #include under src/ and fails on an include a layer may
not make, on a machine header or call outside src/platform/, on a file in a folder that has no
rule, and on any circle of includes.

The layers, from the top down: main/NAME (each machine's program entry), publish, aids, app, author,
script, window, sound, system; beside them one folder per machine under platform/, which may take
only system/ and its own folder. Shared code (everything but main/ and platform/, and the one
header of app/ that chooses the machine) names no machine in an #if: what differs between
machines is said by the machine's folder, or tested by the feature itself. A module is a header
and its source file together (script/Rows.h + script/Rows.cpp), so a circle through a source file
counts. Usage: devtools/check_layers.py [SOURCE-ROOT]; prints each fault and exits 1 when there
is one."""
import pathlib
import re
import sys

# What src/script and src/sound may take from src/system: the seam and the plain helpers.
PORTABLE_SYSTEM = {"system/Platform.h", "system/Errors.h", "system/AssetPath.h", "system/TextCodec.h",
                   "system/Boolean.h"}


def folder(include):
    return include.split("/")[0]


# Per layer: the quoted includes it may make (a predicate on the include's path below src/).
LAYERS = {
    # The authors' aids the desktop players take (--start, --watch): on the authors' commands.
    "aids": lambda inc: folder(inc) in ("aids", "app", "author", "script", "window", "sound", "system"),
    # "tessaro publish", on the authors' commands: left out of the programs that cannot carry it.
    # Only the Linux program has it, so it may take what only POSIX files can do.
    "publish": lambda inc: folder(inc) in ("publish", "author", "script", "sound", "system")
               or inc in ("window/Crt.h", "platform/posix/PublishFiles.h"),
    # The program's entry and options: the only layer that knows which machine it runs on.
    "app": lambda inc: folder(inc) in ("app", "author", "script", "window", "sound", "system", "platform"),
    # The authors' commands read the story's files themselves, with no window and no platform.
    "author": lambda inc: folder(inc) in ("author", "script", "sound", "system") or inc == "window/Crt.h",
    "script": lambda inc: folder(inc) in ("script", "sound") or inc in PORTABLE_SYSTEM
              or inc in ("window/Crt.h", "window/Pacing.h"),
    # The window draws into off-screen images (system/Image.h) that the machine provides.
    "window": lambda inc: folder(inc) in ("window", "sound", "system"),
    "sound": lambda inc: folder(inc) == "sound" or inc in PORTABLE_SYSTEM,
    # The portable core every machine links: the seam (Platform.h) and plain arithmetic.
    "system": lambda inc: folder(inc) == "system",
}


def entry_rule(machine):
    """A machine's program entry (main/sdl/, ...): everything shared, its own machine's folder."""
    return lambda inc: (folder(inc) in ("aids", "app", "author", "publish", "script", "window", "sound", "system")
                        or inc.startswith(f"platform/{machine}/"))


# Folders under platform/ that more than one machine takes: the story's files on a POSIX system,
# text and bitmaps for a machine with only a canvas.
SHARED_MACHINE_FOLDERS = ("platform/posix/", "platform/canvas/")


def machine_rule(machine):
    """A machine's folder (platform/sdl/, platform/win32/, ...): the portable core, itself, and
    the folders machines share."""
    return lambda inc: (folder(inc) == "system" or inc.startswith(f"platform/{machine}/")
                        or inc.startswith(SHARED_MACHINE_FOLDERS))


MACHINE_HEADERS = re.compile(r"^(SDL.*|fluidsynth.*|fontconfig/.*|X11/.*|unistd\.h|fcntl\.h|dirent\.h|poll\.h|"
                             r"time\.h|sys/.*|malloc\.h|iconv\.h|dlfcn\.h|pthread\.h|windows\.h|windowsx\.h|"
                             r"mmsystem\.h|winver\.h|emscripten.*)$")
# Calls into the machine, which only a machine's folder makes.
MACHINE_CALLS = re.compile(r"\b(SDL_|TTF_|Mix_|fluid_|emscripten_)\w+|::(open|read|stat|fstat|opendir|readdir|close)\s*\(|"
                           r"\bmalloc_trim\b")
# The names compilers and our builds give the machines; shared code tests none of them.
MACHINE_NAMES = re.compile(r"\b(_WIN32|_WIN64|WIN32|_MSC_VER|__MINGW32__|__MINGW64__|__CYGWIN__|__EMSCRIPTEN__|"
                           r"EMSCRIPTEN|__linux__|__linux|linux|__unix__|__unix|__APPLE__|__MACH__|__ANDROID__|"
                           r"__FreeBSD__|TESSARO_MACHINE\w*)\b")
CONDITION = re.compile(r"^\s*#\s*(if|ifdef|ifndef|elif)\b(.*)$")
# The one shared header that chooses the machine the program is made with.
MACHINE_CHOICE = {"app/MachinePlatform.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def without_comments(text):
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    text = re.sub(r'"(\\.|[^"\\\n])*"', '""', text)
    return re.sub(r"//[^\n]*", "", text)


def check(root):
    faults = []
    graph = {}
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(root).as_posix()
        parts = relative.split("/")
        if len(parts) == 3 and parts[0] == "platform":
            layer, allowed, machine = f"platform/{parts[1]}", machine_rule(parts[1]), True
        elif len(parts) == 3 and parts[0] == "main":
            layer, allowed, machine = f"main/{parts[1]}", entry_rule(parts[1]), True
        elif len(parts) == 2 and parts[0] in LAYERS:
            layer, allowed, machine = parts[0], LAYERS[parts[0]], False
        else:
            faults.append(f"{relative}: no layer rule for its folder")
            layer, allowed, machine = None, lambda inc: True, True
        module = relative.rsplit(".", 1)[0]
        text = path.read_text(encoding="utf-8")
        edges = graph.setdefault(module, set())
        for kind, target in INCLUDE.findall(text):
            if kind == '"':
                edges.add(target.rsplit(".", 1)[0])
                if not allowed(target):
                    faults.append(f"{relative}: {layer}/ may not include \"{target}\"")
            elif not machine and MACHINE_HEADERS.match(target):
                faults.append(f"{relative}: {layer}/ may not include <{target}>")
        if not machine:
            code = without_comments(text)
            for number, line in enumerate(code.splitlines(), 1):
                found = MACHINE_CALLS.search(line)
                if found:
                    faults.append(f"{relative}:{number}: {layer}/ reaches the machine: {found.group(0)}")
                condition = CONDITION.match(line)
                named = condition and MACHINE_NAMES.search(condition.group(2))
                if named and relative not in MACHINE_CHOICE:
                    faults.append(f"{relative}:{number}: {layer}/ names a machine in #{condition.group(1)}: "
                                  f"{named.group(0)}")

    # Depth-first search for a circle; each one is reported once, from where it was entered.
    state, stack = {}, []

    def visit(module):
        state[module] = "open"
        stack.append(module)
        for target in sorted(graph.get(module, ())):
            if target not in graph or target == module:
                continue
            if state.get(target) == "open":
                circle = stack[stack.index(target):] + [target]
                faults.append("include circle: " + " -> ".join(circle))
            elif target not in state:
                visit(target)
        stack.pop()
        state[module] = "done"

    for module in sorted(graph):
        if module not in state:
            visit(module)
    return faults


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "src")
    faults = check(root)
    for fault in faults:
        print(fault)
    print(f"{len(faults)} layer faults in {root}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
