"""Checks that the includes keep to the layers, reading the file lists of the build's targets.

- A file of the core includes no header of a Qt module other than Qt Core (the core must build and
  run without a display), no file of the forms layer and nothing under app/, not even a file there
  that is no form.
- A file under data/access/ includes no project file outside data/access/: the data access layer
  depends on nothing above it.
- The file formats' folders under data/access/ (its immediate subfolders) stay apart: a file of one
  format includes no file of another. What they share lives directly in data/access/, whose files
  may include any format's, as they hand each file to its format.
- No units include each other in a loop. A unit is a header with its source of the same name, and
  a source without a header of its own whose name starts with the name of a header beside it (as
  ufrmMainControls.cpp implements ufrmMain.h). Every unit of the core, the forms and the program
  takes part; a loop is reported with one chain of includes that closes it.
- Every source file in the folders the core and the forms draw from belongs to a target, so that
  no file escapes these rules by being left out of CMakeLists.txt.

Each fault is printed as FILE:LINE or FILE and what is wrong; the exit status is 1 when there is
one. An include given with --allow is let through the include rules (not the loop check).
"""

import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
HEADER_ENDINGS = (".h", ".hpp")
SOURCE_ENDINGS = HEADER_ENDINGS + (".cpp", ".cc", ".cxx")
ACCESS = "data/access/"
APP = "app/"


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


def shown(delimiter, written):
    return f"<{written}>" if delimiter == "<" else f'"{written}"'


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


def format_of(name):
    """The format folder under data/access/ a file lies in, or None."""
    if not name.startswith(ACCESS):
        return None
    rest = name[len(ACCESS):]
    return rest.split("/", 1)[0] if "/" in rest else None


def units_of(files):
    """Maps each file to its unit: a header and its source share one; a source without a header of
    its own joins the header beside it whose name its name starts with (the longest such)."""
    stem = {name: os.path.splitext(name)[0] for name in files}
    headers = {stem[name] for name in files if name.endswith(HEADER_ENDINGS)}
    beside = {}
    for unit in headers:
        beside.setdefault(os.path.dirname(unit), []).append(unit)
    unit_of = {}
    for name in files:
        unit = stem[name]
        if unit not in headers:
            owners = [h for h in beside.get(os.path.dirname(unit), [])
                      if os.path.basename(unit).startswith(os.path.basename(h))]
            if owners:
                unit = max(owners, key=len)
        unit_of[name] = unit
    return unit_of


def strong_components(graph):
    """Tarjan's strongly connected components of {node: successors}, without recursion."""
    index, low, on_stack, stack, components = {}, {}, set(), [], []
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = len(index)
        stack.append(start)
        on_stack.add(start)
        while work:
            node, successors = work[-1]
            for successor in successors:
                if successor not in index:
                    index[successor] = low[successor] = len(index)
                    stack.append(successor)
                    on_stack.add(successor)
                    work.append((successor, iter(sorted(graph[successor]))))
                    break
                if successor in on_stack:
                    low[node] = min(low[node], index[successor])
            else:
                work.pop()
                if work:
                    parent = work[-1][0]
                    low[parent] = min(low[parent], low[node])
                if low[node] == index[node]:
                    component = []
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        component.append(member)
                        if member == node:
                            break
                    components.append(sorted(component))
    return components


def shortest_loop(graph, component, tries=64):
    """A short chain of units that leaves a unit of the component and comes back to it: the
    shortest through any of the first units tried (through any unit in a loop of usual size)."""
    members = set(component)
    best = None
    for start in component[:tries]:
        came_from = {start: None}
        level, steps, last = [start], 1, None
        # A level further than the best chain found so far cannot give a shorter one.
        while level and last is None and (best is None or steps < len(best) - 1):
            following = []
            for node in level:
                if start in graph[node]:
                    last = node
                    break
                for successor in sorted(graph[node]):
                    if successor in members and successor not in came_from:
                        came_from[successor] = node
                        following.append(successor)
            level, steps = following, steps + 1
        if last is None:
            continue
        chain = [start]
        while last is not None:
            chain.append(last)
            last = came_from[last]
        chain.reverse()
        best = chain
        if len(best) == 3:
            break
    return best


def loop_faults(unit_of, found_includes):
    """One fault for each group of units that include each other in a loop."""
    graph = {unit: {} for unit in unit_of.values()}
    # A header's includes come first: they are the ones every includer of the unit gets too.
    for name in sorted(unit_of, key=lambda n: (not n.endswith(HEADER_ENDINGS), n)):
        unit = unit_of[name]
        for line, delimiter, written, project in found_includes[name]:
            target = unit_of.get(project)
            if target is not None and target != unit:
                step = f"{name}:{line} includes {shown(delimiter, written)}"
                graph[unit].setdefault(target, step)
    faults = []
    for component in strong_components(graph):
        if len(component) < 2:
            continue
        chain = shortest_loop(graph, component)
        steps = [graph[a][b] for a, b in zip(chain, chain[1:])]
        fault = (f"{steps[0].split(' ', 1)[0]}: units include each other in a loop: "
                 f"{' -> '.join(chain)} ({', '.join(steps)})")
        if len(chain) - 1 < len(component):
            fault += f"; all {len(component)} units in the loop: {', '.join(component)}"
        faults.append(fault)
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True, help="the source tree")
    parser.add_argument("--qt-include-root", required=True, help="the folder of Qt's modules")
    parser.add_argument("--core", nargs="+", required=True, help="the core target's sources")
    parser.add_argument("--forms", nargs="+", required=True, help="the forms target's sources")
    parser.add_argument("--program", nargs="*", default=[], help="the program's own sources")
    parser.add_argument("--allow", nargs="*", default=[], metavar="FILE=INCLUDED",
                        help="a project include of the core that the rules refuse but is still "
                             "allowed")
    args = parser.parse_args()

    root = os.path.abspath(args.root)
    core, forms, program = (sources(root, names) for names in (args.core, args.forms, args.program))
    forms_files = set(forms)
    every = sorted(set(core) | forms_files | set(program))
    found_includes = {name: list(includes(root, name)) for name in every}
    formats = {f for f in map(format_of, every) if f}
    modules, qt_headers = qt_module_headers(args.qt_include_root)
    allowed = set(tuple(pair.split("=", 1)) for pair in args.allow)
    used_allowances = set()
    faults = []

    for name in core:
        own_format = format_of(name)
        for line, delimiter, written, project in found_includes[name]:
            where = f"{name}:{line}: includes {shown(delimiter, written)}"
            if project is None:
                module = qt_module_of(written, modules, qt_headers)
                if module:
                    faults.append(f"{where}, a {module} header; the core uses Qt Core only")
                continue
            other_format = format_of(project)
            if project.startswith(APP):
                fault = f"{where}; the core includes nothing under {APP}"
            elif project in forms_files:
                fault = f"{where}, a file of the forms layer; the core includes none"
            elif name.startswith(ACCESS) and not project.startswith(ACCESS):
                fault = f"{where}; the data access layer includes nothing outside {ACCESS}"
            elif own_format and other_format in formats and other_format != own_format:
                fault = (f"{where}, a file of the {other_format} format; a format's files include "
                         f"no other format's, only what the formats share in {ACCESS}")
            else:
                continue
            if (name, project) in allowed:
                used_allowances.add((name, project))
            else:
                faults.append(fault)

    for name, included in sorted(allowed - used_allowances):
        faults.append(f"{name}: no longer includes {included}; remove the allowance from "
                      "tests/CMakeLists.txt")

    faults += loop_faults(units_of(every), found_includes)

    known = set(every)
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
        print(f"{len(faults)} fault(s) break the layers")
        return 1
    print(f"layers kept: {len(core)} core files, {len(forms)} forms files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
