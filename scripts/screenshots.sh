#!/usr/bin/env bash
# Writes a PNG of every page of the example install file, as the wizard shows it on an
# 800x600 desktop (offscreen, no display needed), into DIR (default: build-screenshots/png):
# in English (NN-<stage>.png), in German (german-NN-<stage>.png, with the log window and
# the cancel question) and of a Cyrillic install file (russian-NN-<stage>.png).
#   bash scripts/screenshots.sh [DIR]
# Builds the picture program in build-screenshots (no sanitizers) when needed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORELLE_SCREENSHOT_BUILD:-$here/build-screenshots}
out=${1:-$build/png}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUORELLE_BUILD_TOOLS=OFF -DQUORELLE_BUILD_ADDIN=OFF >/dev/null
cmake --build "$build" --target engine_qtviewer_screens engine_qtviewer_textsecrets >/dev/null

rm -rf "$out"
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
timeout 120 "$build/engine/qtviewer/tests/engine_qtviewer_screens" --png "$out" 2>&1 |
  grep -E '^(wrote|FAIL|NOTE)|pages' || true
for scenario in german russian; do
  timeout 120 "$build/engine/qtviewer/tests/engine_qtviewer_textsecrets" --png "$out" "$scenario" 2>&1 |
    grep -E '^(wrote|FAIL)|passed|FAILED' || true
done
ls "$out"/*.png >/dev/null
echo "screenshots: $(ls "$out"/*.png | wc -l) pages in $out"
