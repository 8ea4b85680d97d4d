#!/usr/bin/env bash
# Keeps the layout: window code stays out of the shared layer and the logic
# of every area; the include graph of src/ and tools/ runs downward (shell,
# area panels, area logic, settings, src/ui, common) and every library links
# the libraries whose headers it includes; every source file is formatted by
# the clang-format .clang-format is for.
set -euo pipefail
cd "$(dirname "$0")/.."
fail=0
report() {
    echo "$1"
    echo "$2"
    fail=1
}

# Only ui/ folders (and the programs' main.cpp) may include Qt Widgets headers.
widgets='#include <(QtWidgets/|QWidget|QDialog|QMainWindow|QMessageBox|QApplication|QLabel|QPushButton|QListWidget|QComboBox|QLineEdit|QTextEdit|QPlainTextEdit|QCheckBox|QGroupBox|QSystemTrayIcon|QMenu|QToolButton)'
bad=$(grep -rnE "$widgets" src --include='*.h' --include='*.cpp' | grep -vE '^src/([^:]*/)?ui/|^src/[^:]*main\.cpp:|^src/nom/ui/' || true)
[ -z "$bad" ] || report "Widgets headers outside ui/ folders:" "$bad"

raw=$(grep -rlE 'QMessageBox' src | grep -v 'src/ui/QtMessageBoxPresenter.cpp' || true)
[ -z "$raw" ] || report "QMessageBox used outside the one presenter:" "$raw"

# quorvel-send runs without a window (its quoted includes are judged below).
bad=$(grep -rnE '#include <(QtWidgets|QtGui)/' src/send || true)
[ -z "$bad" ] || report "quorvel-send includes window code:" "$bad"

# The service and the simulator are plain C++: no Qt at all. Only the
# service's gateway, which hands messages to installations, uses Qt Core, and
# only the simulator's stand-in for ModemManager uses Qt D-Bus.
bad=$(grep -rnE '#\s*include\s*<Q' src/service tools/smscsim |
    grep -vE '^(src/service/gateway|tools/smscsim/mm)/' || true)
[ -z "$bad" ] || report "Qt in a program that runs without it:" "$bad"

# The include graph of src/ and tools/, and the link lines that must match it.
bad=$(python3 - <<'PY'
import os, re
from collections import defaultdict

# The client's areas, lowest first: an area's logic includes the logic of
# lower areas only. Inside recipients, contacts reads the groups, never the
# other way, and both stand on the area's own number rules.
RANK = {"settings": 0, "composition": 1, "recipients": 1, "modem_setup": 1, "outbox": 2,
        "internet": 3}
SUBRANK = {"": 0, "groups": 1, "contacts": 2}

# What each layer may include besides its own folder.
MAY_INCLUDE = {
    "common": set(),
    "ui": {"common"},
    "mobile": {"common"},
    "logic": {"common", "mobile", "logic"},  # lower areas only
    "panel": {"common", "ui", "logic", "panel"},  # its own area's panels only
    "shell_logic": {"common", "logic"},
    "shell": {"common", "ui", "logic", "panel", "shell_logic"},
    "client": {"common", "ui", "logic", "panel", "shell_logic", "shell"},
    "nom": {"common", "mobile"},
    "nom_ui": {"common", "ui", "nom"},
    "brindle": {"common", "ui", "nom", "nom_ui"},
    "handover": {"common", "logic"},
    "send": {"common", "logic", "handover"},
    "service": set(),
    "gateway": {"common", "logic", "handover", "service"},
    "service_main": {"service", "gateway"},
    "smscsim": set(),
    "smscsim_mm": {"smscsim", "mobile"},
    "smscsim_main": {"smscsim", "smscsim_mm"},
    "demowalk": {"common", "ui", "logic", "panel", "shell_logic", "shell"},
}
PLACES = {"src/common": "common", "src/ui": "ui", "src/nom": "nom", "src/nom/ui": "nom_ui",
          "src/nom/main.cpp": "brindle", "src/client/main.cpp": "client", "src/send": "send",
          "src/handover": "handover", "src/service": "service", "src/service/gateway": "gateway",
          "src/service/main.cpp": "service_main", "tools/smscsim": "smscsim",
          "tools/smscsim/mm": "smscsim_mm", "tools/smscsim/main.cpp": "smscsim_main",
          "src/mobile": "mobile", "tools/demowalk": "demowalk"}


def place(unit):
    """(layer, area, rank inside the area) of a folder, or of a program's main.cpp."""
    m = re.fullmatch(r"src/client/([a-z_]+)(?:/([a-z_]+))?", unit)
    if not m:
        return (PLACES[unit], "", 0) if unit in PLACES else None
    area, sub = m.group(1), m.group(2) or ""
    if area == "shell" and sub in ("", "ui"):
        return ("shell" if sub else "shell_logic", area, 0)
    if area not in RANK:
        return None
    if sub == "ui":
        return ("panel", area, 0)
    if sub in SUBRANK and (area == "recipients" or not sub):
        return ("logic", area, SUBRANK[sub])
    return None


def allowed(src, dst):
    (layer, area, sub), (dlayer, darea, dsub) = src, dst
    if dlayer not in MAY_INCLUDE[layer]:
        return False
    if layer == "panel" and dlayer == "panel":
        return area == darea
    if layer == "logic" and dlayer == "logic":
        return dsub < sub if area == darea else RANK[darea] < RANK[area]
    return True


def unit(path):
    folder = os.path.dirname(path)
    main = os.path.join(folder, "main.cpp")
    return main if path == main and main in PLACES else folder


include = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')
sources = []
for top in ("src", "tools"):
    for folder, _, names in os.walk(top):
        sources += [os.path.join(folder, n) for n in names if n.endswith((".h", ".cpp"))]
includes = defaultdict(list)  # file: (line, include, folder of the included header)
for path in sorted(sources):
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, text in enumerate(f, 1):
            m = include.match(text)
            if not m:
                continue
            here = os.path.normpath(os.path.join(os.path.dirname(path), m.group(1)))
            there = os.path.normpath(os.path.join("src", m.group(1)))
            found = here if '"' in text and os.path.isfile(here) else there
            if os.path.isfile(found):
                includes[path].append((number, m.group(1), os.path.dirname(found)))

bad = []
unplaced = set()
for path, found in includes.items():
    src = place(unit(path))
    if src is None:
        unplaced.add(unit(path))
        continue
    for number, name, folder in found:
        dst = place(folder)
        if folder != os.path.dirname(path) and (dst is None or not allowed(src, dst)):
            bad.append(f"{path}:{number}: {name}: {unit(path)} may not include {folder}")
bad += [f"{u}: a folder without a place in the layers" for u in sorted(unplaced)]

# Links match includes: a target whose files include a library's header links
# that library, directly or through the public links of what it links.
command = re.compile(r"(\w+)\s*\(([^()]*)\)")
libraries, links, public = {}, defaultdict(set), defaultdict(set)
owner = {}  # .cpp file: its target
for top in ("src", "tools"):
    for folder, _, names in os.walk(top):
        if "CMakeLists.txt" not in names:
            continue
        with open(os.path.join(folder, "CMakeLists.txt")) as f:
            text = re.sub(r"#.*", "", f.read())
        for m in command.finditer(text):
            name, args = m.group(1).lower(), m.group(2).split()
            if not args:
                continue
            target, rest = args[0], args[1:]
            if name in ("quorvel_logic_library", "quorvel_ui_library", "add_library",
                        "add_executable"):
                files = [os.path.normpath(os.path.join(folder, a)) for a in rest
                         if a.endswith(".cpp") and "$" not in a]
                for file in files:
                    owner[file] = target
                if name != "add_executable":
                    libraries[target] = {os.path.dirname(file) for file in files}
                if name.startswith("quorvel_") and "LIBS" in rest:
                    libs = rest[rest.index("LIBS") + 1:]
                    links[target].update(libs)
                    public[target].update(libs)
            elif name == "target_link_libraries":
                visibility = "PUBLIC"
                for a in rest:
                    if a in ("PUBLIC", "PRIVATE", "INTERFACE"):
                        visibility = a
                        continue
                    links[target].add(a)
                    if visibility != "PRIVATE":
                        public[target].add(a)
folder_library = {}
for library, folders in libraries.items():
    for folder in folders:
        folder_library.setdefault(folder, library)


def reach(target, seen=None):
    seen = set() if seen is None else seen
    for lib in public[target] - seen:
        seen.add(lib)
        reach(lib, seen)
    return seen


for path, found in includes.items():
    folder = os.path.dirname(path)
    target = owner.get(path) if path.endswith(".cpp") else folder_library.get(folder)
    if target is None:
        continue
    linked = {target}
    for lib in links[target]:
        linked |= {lib} | reach(lib)
    for number, name, there in found:
        library = folder_library.get(there)
        if there != folder and library is not None and library not in linked:
            bad.append(f"{path}:{number}: {name}: {target} does not link {library}")
print("\n".join(bad))
PY
)
[ -z "$bad" ] || report "Includes against the layers or without a link:" "$bad"

# Another major version of clang-format formats the same tree differently.
pinned=$(sed -nE 's/^# For clang-format ([0-9]+).*/\1/p' .clang-format)
have=$(clang-format --version 2>/dev/null | sed -nE 's/.*clang-format version ([0-9]+).*/\1/p' || true)
if [ "$have" != "$pinned" ]; then
    report "Wrong clang-format: .clang-format is for clang-format $pinned, this machine has ${have:-none}:" \
        "$(command -v clang-format || echo "clang-format: not found")"
else
    unformatted=$(find $(ls -d src tests tools bench 2>/dev/null) \( -name '*.h' -o -name '*.cpp' \) -print0 |
        xargs -0 -n 50 clang-format --dry-run -Werror 2>&1 | grep -E '^[^ ]+:[0-9]+:[0-9]+: error' |
        cut -d: -f1 | sort -u || true)
    [ -z "$unformatted" ] || report "Not formatted (clang-format -i):" "$unformatted"
fi

exit $fail
