#!/bin/sh
# Runs every headless scenario in tools/windows/scenarios with the Linux
# program and with the Windows one under Wine, and compares their traces;
# then compares the WAV files falar writes with the diphone voice and VEDRA.
# The one line that must differ is the first window title, which is the
# program's own path; it is written as "<programa>" on both sides.
#   tools/windows/compare_traces.sh [build-win64|build-win32] [OUT_FOLDER]
# Exit code 0 when every trace is identical; the traces are kept in
# OUT_FOLDER (default build-win64/traces) as <scenario>.linux / .windows.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:-build-win64}
out=${2:-$root/$tree/traces}
linux=$root/build/app/zimbalot
windows=$root/$tree/app/zimbalot.exe
for program in "$linux" "$windows"; do
    [ -x "$program" ] || { echo "compare_traces: $program nao existe (construa-o antes)" >&2; exit 2; }
done
mkdir -p "$out"
# Both read the same family folder, the one the Linux build generated.
KORALU_WINDOWS=$root/build/koralu
export KORALU_WINDOWS
WINEDEBUG=-all
export WINEDEBUG
normalise() {
    sed -e '1,/ title /s/^\(0 title \).*/\1<programa>/' "$1" > "$1.tmp" && mv "$1.tmp" "$1"
}
failed=0
count=0
for script in "$root"/tools/windows/scenarios/*.txt; do
    name=$(basename "$script" .txt)
    # The programs run from the scenario folder so that relative names match.
    (cd "$root/tools/windows/scenarios" &&
        "$linux" --headless --script "$name.txt" --seed 7 > "$out/$name.linux") || true
    (cd "$root/tools/windows/scenarios" &&
        wine "$windows" --headless --script "$name.txt" --seed 7 > "$out/$name.windows") || true
    normalise "$out/$name.linux"
    normalise "$out/$name.windows"
    count=$((count + 1))
    if cmp -s "$out/$name.linux" "$out/$name.windows"; then
        echo "igual: $name ($(wc -l < "$out/$name.linux") linhas)"
    else
        echo "DIFERENTE: $name"
        diff "$out/$name.linux" "$out/$name.windows" | head -20
        failed=$((failed + 1))
    fi
done
# The speech library gives the same samples on both: the diphone voice and
# VEDRA through mbrola.dll (ours, from the build tree), written by falar -w.
for engine in "" "--engine vedra"; do
    label=${engine:-difones}
    label=${label#--engine }
    # shellcheck disable=SC2086
    "$root/build/app/falar" $engine -w "$out/falar-$label.linux.wav" "Bom dia, Maria! São 25 letras." || true
    # shellcheck disable=SC2086
    wine "$root/$tree/app/falar.exe" $engine -w "$out/falar-$label.windows.wav" "Bom dia, Maria! São 25 letras." || true
    count=$((count + 1))
    if [ -s "$out/falar-$label.linux.wav" ] && cmp -s "$out/falar-$label.linux.wav" "$out/falar-$label.windows.wav"; then
        echo "igual: falar $label ($(wc -c < "$out/falar-$label.linux.wav") bytes)"
    else
        echo "DIFERENTE: falar $label"
        failed=$((failed + 1))
    fi
done
echo "$((count - failed)) de $count com o mesmo resultado no Linux e no Windows ($tree)"
[ "$failed" -eq 0 ]
