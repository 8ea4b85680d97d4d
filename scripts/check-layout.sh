#!/usr/bin/env bash
# Keeps the layout: window code stays out of the shared layer and the logic
# of every area; the include graph runs downward (shell, area panels, area
# logic, common); every source file is formatted.
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

# quorvel-send runs without a window: it stands on the areas' logic only.
bad=$(grep -rnE '#include ("(client/[a-z_]+/ui/|client/shell/|ui/|nom/)|<(QtWidgets|QtGui)/)' src/send || true)
[ -z "$bad" ] || report "quorvel-send includes window code:" "$bad"

# The client's areas, lowest first: an area's logic may include the logic of
# a lower area only; its panels may include any area's logic, but never
# another area's panels nor the shell, which alone includes everything.
declare -A rank=([settings]=0 [composition]=1 [recipients]=1 [modem_setup]=1 [outbox]=2
                 [internet]=3)
bad=""
for dir in src/client/*/; do
    area=$(basename "$dir")
    [ "$area" = shell ] && continue
    [ -n "${rank[$area]+set}" ] || { report "Area without a place in the order:" "$area"; continue; }
    while IFS=: read -r file line include; do
        other="" otherUi="ui/" # src/ui: the windows' shared helpers
        if [[ $include =~ \"client/([a-z_]+)/(ui/)? ]]; then
            other=${BASH_REMATCH[1]} otherUi=${BASH_REMATCH[2]}
        fi
        inUi=0
        [[ $file == */ui/* ]] && inUi=1
        if [ "$other" = shell ]; then
            bad+="$file:$line: a shell header"$'\n'
        elif [ -n "$otherUi" ] && [ -n "$other" ] && [ "$other" != "$area" ]; then
            bad+="$file:$line: another area's panel"$'\n'
        elif [ $inUi = 0 ] && [ -n "$otherUi" ]; then
            bad+="$file:$line: a window header in logic"$'\n'
        elif [ $inUi = 0 ] && [ -n "$other" ] && [ "$other" != "$area" ] &&
            { [ -z "${rank[$other]+set}" ] || [ "${rank[$other]}" -ge "${rank[$area]}" ]; }; then
            bad+="$file:$line: the logic of $other, which is not below $area"$'\n'
        fi
    done < <(grep -rnE '#include "(client/|ui/)' "$dir" --include='*.h' --include='*.cpp' || true)
done
[ -z "$bad" ] || report "Includes against the direction of the layers:" "$bad"

unformatted=$(find src tests tools bench \( -name '*.h' -o -name '*.cpp' \) -print0 |
    xargs -0 -n 50 clang-format --dry-run -Werror 2>&1 | grep -E '^[^ ]+:[0-9]+:[0-9]+: error' |
    cut -d: -f1 | sort -u || true)
[ -z "$unformatted" ] || report "Not formatted (clang-format -i):" "$unformatted"

exit $fail
