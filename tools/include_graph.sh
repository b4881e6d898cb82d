#!/usr/bin/env bash
# Counts the include arrows between folders of the product code (tests and benchmarks left out),
# the window's files (gui: app/, ui/, the mainwindow_* files, the remembered folders) apart from the
# core library's. An arrow from a core file to app/ or ui/ would be a layer pointing upwards.
#   tools/include_graph.sh
set -euo pipefail
cd "$(dirname "$0")/.."
for f in $(git ls-files '*.cpp' '*.h' | grep -vE '^(tests|bench|tools)/'); do
    d=${f%%/*}
    case "$f" in app/cli_main.cpp) lib=core ;; *mainwindow* | app/* | ui/* | export/folders*) lib=gui ;; *) lib=core ;; esac
    grep -o '^#include "[a-z]*/' "$f" | sed "s|#include \"||; s|/||; s|^|$lib $d -> |" || true
done | awk '$2 != $4' | sort | uniq -c
