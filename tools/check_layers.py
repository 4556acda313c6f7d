#!/usr/bin/env python3
"""Keeps the layers honest: reads every #include under src/ and fails on an include a layer may
not make, on a machine call above src/system/, and on any circle of includes.

A module is a header and its source file together (script/Rows.h + script/Rows.cpp), so a
circle through a source file counts. Usage: tools/check_layers.py [SOURCE-ROOT]; prints each
fault and exits 1 when there is one."""
import pathlib
import re
import sys

# What src/script and src/common may take from src/system: the seam and the plain helpers.
PORTABLE_SYSTEM = {"system/Platform.h", "system/Errors.h", "system/AssetPath.h", "system/TextCodec.h"}

# Per layer: the quoted includes allowed (a predicate) and the system headers allowed.
LAYERS = {
    # MachinePlatform.h alone names the machine each build is for, the browser's among them.
    "system": (lambda inc: inc.startswith("system/") or inc == "platform/web/WebPlatform.h", None),
    # A machine of its own folder: the portable machine layer and itself; its start (WebMain) runs
    # the program's Main like src/main.cpp does.
    "platform": (lambda inc: inc.split("/")[0] in ("system", "platform") or inc == "window/Main.h", None),
    "common": (lambda inc: inc.startswith("common/") or inc in PORTABLE_SYSTEM, set()),
    "script": (lambda inc: inc.split("/")[0] in ("script", "common") or inc in PORTABLE_SYSTEM
               or inc in ("window/Crt.h", "window/Pacing.h"), set()),
    # The window draws into off-screen images (system/Image.h) that the machine provides.
    "window": (lambda inc: True, set()),
    # The authors' commands stand beside the window: they read the story's files themselves,
    # with no window and no platform, but never call the machine directly.
    "tools": (lambda inc: not inc.startswith("window/") or inc == "window/Crt.h", set()),
}
MACHINE_HEADERS = re.compile(r"^(SDL.*|fluidsynth.*|fontconfig/.*|unistd\.h|fcntl\.h|dirent\.h|"
                             r"sys/.*|malloc\.h|iconv\.h|dlfcn\.h|pthread\.h|windows\.h)$")
# Calls into the machine that only src/system/ makes.
MACHINE_CALLS = {
    "common": re.compile(r"\b(SDL_|TTF_|Mix_|fluid_)\w+|::(open|read|stat|fstat|opendir|readdir|close)\s*\(|"
                         r"\bmalloc_trim\b"),
}
MACHINE_CALLS["script"] = MACHINE_CALLS["window"] = MACHINE_CALLS["tools"] = MACHINE_CALLS["common"]
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
        layer = relative.split("/")[0] if "/" in relative else None
        module = relative.rsplit(".", 1)[0]
        text = path.read_text(encoding="utf-8")
        edges = graph.setdefault(module, set())
        for kind, target in INCLUDE.findall(text):
            if kind == '"':
                edges.add(target.rsplit(".", 1)[0])
                if layer in LAYERS and not LAYERS[layer][0](target):
                    faults.append(f"{relative}: {layer}/ may not include \"{target}\"")
            elif layer in LAYERS and LAYERS[layer][1] is not None and MACHINE_HEADERS.match(target) \
                    and target not in LAYERS[layer][1]:
                faults.append(f"{relative}: {layer}/ may not include <{target}>")
        if layer in MACHINE_CALLS:
            code = without_comments(text)
            for number, line in enumerate(code.splitlines(), 1):
                found = MACHINE_CALLS[layer].search(line)
                if found:
                    faults.append(f"{relative}:{number}: {layer}/ reaches the machine: {found.group(0)}")

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
