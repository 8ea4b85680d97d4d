#!/usr/bin/env bash
# Window code stays out of the shared layer and the logic of every area: only
# ui/ folders (and the programs' main.cpp) may include Qt Widgets headers.
set -euo pipefail
cd "$(dirname "$0")/.."
widgets='#include <(QtWidgets/|QWidget|QDialog|QMainWindow|QMessageBox|QApplication|QLabel|QPushButton|QListWidget|QComboBox|QLineEdit|QTextEdit|QPlainTextEdit|QCheckBox|QGroupBox|QSystemTrayIcon|QMenu|QToolButton)'
bad=$(grep -rnE "$widgets" src --include='*.h' --include='*.cpp' | grep -vE '^src/([^:]*/)?ui/|^src/[^:]*main\.cpp:|^src/nom/ui/' || true)
if [ -n "$bad" ]; then
    echo "Widgets headers outside ui/ folders:"
    echo "$bad"
    exit 1
fi
raw=$(grep -rlE 'QMessageBox' src | grep -v 'src/ui/QtMessageBoxPresenter.cpp' || true)
if [ -n "$raw" ]; then
    echo "QMessageBox used outside the one presenter: $raw"
    exit 1
fi
