"""Checks that the includes keep to the layers, reading the file lists of the build's targets.

- A file of the core includes no header of a Qt module other than Qt Core (the core must build and
  run without a display) and no file of the forms layer.
- A file under data/access/ includes no project file outside data/access/: the data access layer
  depends on nothing above it.
- Every source file in the folders the core and the forms draw from belongs to a target, so that
  no file escapes these rules by being left out of CMakeLists.txt.

Each fault is printed as FILE:LINE and what is wrong; the exit status is 1 when there is one.
"""

import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc", ".cxx")
ACCESS = "data/access/"


def relative(root, path):
    return os.path.relpath(os.path.normpath(os.path.join(root, path)), root).replace(os.sep, "/")


def sources(root, names):
    return [relative(root, name) for name in names if name.endswith(SOURCE_ENDINGS)]


def includes(root, name):
    """Yields (line number, delimiter, text as written, project file it names or None)."""
    with open(os.path.join(root, name), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            delimiter, written = match.groups()
            places = [written]
            if delimiter == '"':
                places.insert(0, os.path.join(os.path.dirname(name), written))
            project = None
            for place in places:
                candidate = relative(root, place)
                if not candidate.startswith("../") and os.path.isfile(os.path.join(root, candidate)):
                    project = candidate
                    break
            yield number, delimiter, written, project


def qt_module_headers(qt_root):
    """The folders of the Qt modules other than QtCore, and their header names (those that QtCore
    does not have too), each mapped to its module's folder."""
    modules = sorted(d for d in os.listdir(qt_root)
                     if d.startswith("Qt") and os.path.isdir(os.path.join(qt_root, d)))
    if "QtCore" not in modules:
        sys.exit(f"check_layers: no QtCore folder in {qt_root}")
    core = set(os.listdir(os.path.join(qt_root, "QtCore")))
    headers = {}
    for module in modules:
        if module == "QtCore":
            continue
        for header in os.listdir(os.path.join(qt_root, module)):
            if header not in core:
                headers.setdefault(header, module)
    return {m for m in modules if m != "QtCore"}, headers


def qt_module_of(written, modules, headers):
    first = written.split("/", 1)[0]
    if first in modules:
        return first
    return headers.get(written)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True, help="the source tree")
    parser.add_argument("--qt-include-root", required=True, help="the folder of Qt's modules")
    parser.add_argument("--core", nargs="+", required=True, help="the core target's sources")
    parser.add_argument("--forms", nargs="+", required=True, help="the forms target's sources")
    parser.add_argument("--program", nargs="*", default=[], help="the program's own sources")
    parser.add_argument("--allow", nargs="*", default=[], metavar="FILE=INCLUDED",
                        help="an access-layer include outside data/access/ that is still allowed")
    args = parser.parse_args()

    root = os.path.abspath(args.root)
    core, forms, program = (sources(root, names) for names in (args.core, args.forms, args.program))
    forms_files = set(forms)
    modules, qt_headers = qt_module_headers(args.qt_include_root)
    allowed = set(tuple(pair.split("=", 1)) for pair in args.allow)
    used_allowances = set()
    faults = []

    for name in core:
        for line, delimiter, written, project in includes(root, name):
            shown = f"<{written}>" if delimiter == "<" else f'"{written}"'
            where = f"{name}:{line}: includes {shown}"
            if project is None:
                module = qt_module_of(written, modules, qt_headers)
                if module:
                    faults.append(f"{where}, a {module} header; the core uses Qt Core only")
                continue
            if project in forms_files:
                faults.append(f"{where}, a file of the forms layer; the core includes none")
            if name.startswith(ACCESS) and not project.startswith(ACCESS):
                if (name, project) in allowed:
                    used_allowances.add((name, project))
                else:
                    faults.append(f"{where}; the data access layer includes nothing outside "
                                  f"{ACCESS}")

    for name, included in sorted(allowed - used_allowances):
        faults.append(f"{name}: no longer includes {included}; remove the allowance from "
                      "tests/CMakeLists.txt")

    known = set(core) | forms_files | set(program)
    folders = sorted({name.split("/", 1)[0] for name in core + forms if "/" in name})
    for folder in folders:
        for directory, _, files in os.walk(os.path.join(root, folder)):
            for file in sorted(files):
                name = relative(root, os.path.join(directory, file))
                if name.endswith(SOURCE_ENDINGS) and name not in known:
                    faults.append(f"{name}: belongs to no target; list it in CMakeLists.txt")

    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) break the layers")
        return 1
    print(f"layers kept: {len(core)} core files, {len(forms)} forms files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
