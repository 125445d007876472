#!/usr/bin/env python3
"""Fails when a box of the program includes a header against the direction of cmake/layers.txt.

Every C++ file under a box folder belongs to the deepest box whose folder holds it. Each of its
quoted includes ("db/Sqlite.h", or a name beside the file) must name a header of that box or of a
box it uses, directly or through the boxes those use. A forbidden include is reported as
"file:line: from -> to" with the boxes the file's box may use; the exit status is 1 when there is
any. The same table drives the libraries' link lines (cmake/Boxes.cmake); a box's CMakeLists.txt
that links one of the program's libraries by hand (for a tool of its own) may name only those.

It also holds the boxes to their namespaces: every namespace of the program that a file opens is
its box's own (NAMESPACES below; a forms box shares its subsystem's), or that of a box it may use,
where it only names that box's classes ahead of their headers.

`--root DIR` checks another tree laid out the same way (the script's own test plants faults in one).
"""

import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
if len(sys.argv) == 3 and sys.argv[1] == "--root":
    ROOT = pathlib.Path(sys.argv[2]).resolve()
TABLE = ROOT / "cmake" / "layers.txt"
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
NAMESPACE = re.compile(r"^namespace (velmora(?:::\w+)*) \{", re.M)
# The namespace of each box's code: the folder's, with base/ in the program's own and export/ (a
# keyword) in velmora::exporting; a screen box and the printer back end share their subsystem's.
NAMESPACES = {
    "base": "velmora",
    "print/micr65": "velmora::print::micr65",
    "export": "velmora::exporting",
}


def namespace_of(box):
    if box in NAMESPACES:
        return NAMESPACES[box]
    subsystem = box.split("/")[0]
    return NAMESPACES.get(subsystem, "velmora::" + subsystem)


def within(name, namespace):
    return name == namespace or name.startswith(namespace + "::")


OWN_LIBRARY = re.compile(r"\bvelmora[\w-]*")


def read_table():
    """The boxes from the floor up: folder -> (library, uses)."""
    boxes = {}
    for number, line in enumerate(TABLE.read_text().splitlines(), 1):
        fields = line.split("#", 1)[0].split()
        if not fields:
            continue
        folder, library, uses = fields[0], fields[1], fields[2:]
        for used in uses:
            if used not in boxes:
                sys.exit(f"{TABLE.relative_to(ROOT)}:{number}: {folder} uses {used}, which does not stand above it")
        boxes[folder] = (library, uses)
    return boxes


def reachable(boxes):
    """folder -> every box it may include: itself, what it uses, and what those use."""
    closure = {}
    for folder, (_, uses) in boxes.items():  # from the floor up: what is used is done already
        allowed = {folder}
        for used in uses:
            allowed |= closure[used]
        closure[folder] = allowed
    return closure


def box_of(path, boxes):
    """The deepest box whose folder holds `path` (relative to the root), or None."""
    parts = path.parts[:-1]
    for depth in range(len(parts), 0, -1):
        folder = "/".join(parts[:depth])
        if folder in boxes:
            return folder
    return None


def main():
    boxes = read_table()
    closure = reachable(boxes)
    problems = []
    tops = sorted({folder.split("/")[0] for folder in boxes})
    for top in tops:
        for file in sorted((ROOT / top).rglob("*")):
            if file.suffix not in (".h", ".cpp") or not file.is_file():
                continue
            relative = file.relative_to(ROOT)
            owner = box_of(relative, boxes)
            if owner is None:
                problems.append(f"{relative}: lies in no box of {TABLE.relative_to(ROOT)}")
                continue
            text = file.read_text(errors="replace")
            expected = namespace_of(owner)
            usable = {namespace_of(used) for used in closure[owner]}
            foreign = sorted(name for name in set(NAMESPACE.findall(text))
                             if not within(name, expected)
                             and not (name != "velmora" and any(within(name, ns) for ns in usable if ns != "velmora")))
            if foreign:
                problems.append(f"{relative}: declares {', '.join(foreign)}, not {expected} of {owner}")
            for number, line in enumerate(text.splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                name = match.group(1)
                if ".." in pathlib.PurePosixPath(name).parts:
                    problems.append(f"{relative}:{number}: {owner} includes \"{name}\" through \"..\"")
                    continue
                beside = relative.parent / name
                target = beside if (ROOT / beside).is_file() else pathlib.Path(name)
                if not (ROOT / target).is_file():
                    problems.append(f"{relative}:{number}: {owner} includes \"{name}\", which is no file of the program")
                    continue
                used = box_of(target, boxes)
                if used is None or used not in closure[owner]:
                    allowed = ", ".join(sorted(closure[owner] - {owner})) or "nothing"
                    problems.append(f"{relative}:{number}: {owner} -> {used or target.parent}: #include \"{name}\" "
                                    f"({owner} may use {allowed})")
    libraries = {library: folder for folder, (library, _) in boxes.items()}
    for folder, (library, _) in boxes.items():
        cmake = ROOT / folder / "CMakeLists.txt"
        if not cmake.is_file():
            problems.append(f"{folder}: has no CMakeLists.txt making {library}")
            continue
        text = cmake.read_text()
        own = set(re.findall(r"add_(?:library|executable)\(\s*([\w-]+)", text))
        for number, line in enumerate(text.splitlines(), 1):
            code = line.split("#", 1)[0]
            if "target_link_libraries" not in code:
                continue
            for name in OWN_LIBRARY.findall(code):
                if name in own:
                    continue
                used = libraries.get(name)
                if used is None or used not in closure[folder]:
                    problems.append(f"{cmake.relative_to(ROOT)}:{number}: {folder} links {name}, "
                                    f"which {TABLE.relative_to(ROOT)} does not let it use")
    for problem in problems:
        print(problem)
    if problems:
        print(f"check-layers: {len(problems)} problem(s) against {TABLE.relative_to(ROOT)}", file=sys.stderr)
        return 1
    print(f"check-layers: {len(boxes)} boxes, every include points down, every box in its namespace")
    return 0


if __name__ == "__main__":
    sys.exit(main())
