#!/usr/bin/env bash
# Writes a PNG of every page of the product installation, in English and in German, as the
# wizard shows it on an 800x600 desktop (offscreen, no display needed), into DIR (default:
# build-screenshots/png): DIR/en-NN-<stage>.png and DIR/de-NN-<stage>.png; and of the
# example install file into DIR/example: in English (NN-<stage>.png), in German
# (german-NN-<stage>.png, with the log window and the cancel question) and of a Cyrillic
# install file (russian-NN-<stage>.png).
#   bash scripts/screenshots.sh [DIR]
# Builds the installation medium and the picture program in build-screenshots (no
# sanitizers) when needed. Each language is a real installation into a sandbox target of
# its own (its directory server on a free port of 127.0.0.1, stopped at the end).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORELLE_SCREENSHOT_BUILD:-$here/build-screenshots}
out=${1:-$build/png}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DQUORELLE_BUILD_TOOLS=ON -DQUORELLE_BUILD_ADDIN=OFF >/dev/null
cmake --build "$build" --target medium installer_screens engine_qtviewer_screens \
  engine_qtviewer_textsecrets >/dev/null

rm -rf "$out"
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
unset LC_ALL LC_CTYPE LANG LANGUAGE
status=0
for lang in en de; do
  timeout 300 "$build/installer/tests/installer_screens" "$build/medium" "$lang" \
    "$here/installer/translations/installer_de.ts" "$here/engine/translations/vantor_de.ts" \
    --png "$out" 2>&1 | grep -E '^(wrote|FAIL)|pages' || status=1
done
mkdir -p "$out/example"
timeout 120 "$build/engine/qtviewer/tests/engine_qtviewer_screens" --png "$out/example" 2>&1 |
  grep -E '^(wrote|FAIL|NOTE)|pages' || status=1
for scenario in german russian; do
  timeout 120 "$build/engine/qtviewer/tests/engine_qtviewer_textsecrets" --png "$out/example" "$scenario" 2>&1 |
    grep -E '^(wrote|FAIL)|passed|FAILED' || status=1
done
ls "$out"/*.png "$out"/example/*.png >/dev/null
echo "screenshots: $(ls "$out"/*.png | wc -l) installer pages in $out, $(ls "$out"/example/*.png | wc -l) example pages in $out/example"
exit $status
