#!/bin/sh
# The Windows desktop under Wine on a virtual X display: the window opens,
# takes keys, draws the closing screen and ends with code 0; the program's
# own screenshot (--screenshot) and two of the whole display (import) are
# left in OUT for a person to look at.
#   tests/win32/gui_smoke.sh build-win64/app/zimbalot.exe OUT
# Needs wine, Xvfb (xvfb-run), xdotool and ImageMagick's import.
set -eu
here=$(dirname "$(realpath "$0")")
exe=$(realpath "$1")
out=$(realpath -m "$2")
mkdir -p "$out"
rm -f "$out"/program.png "$out"/desktop-*.png "$out"/trace.txt "$out"/.trace.txt.*.part
cd "$out"
export WINEDEBUG=-all
# A prefix of its own: a Wine server that other runs started without a display
# would take the window there, where nobody sees it.
export WINEPREFIX="${ZIMBALOT_SMOKE_PREFIX:-${TMPDIR:-/tmp}/zimbalot-smoke-wine}"
# Sound goes to ALSA's null device: the program really waits for its sounds.
export ALSA_CONFIG_PATH="$here/asound-null.conf"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  set -eu
  wait_for() {  # a trace line, at most 60 s
    # the trace grows under a temporary name until the run ends
    for _ in $(seq 600); do cat .trace.txt.*.part trace.txt 2>/dev/null | grep -q "$1" && return 0; sleep 0.1; done
    echo "gui_smoke: no \"$1\" in the trace" >&2; return 1
  }
  wine "$0" --screenshot program.png --trace trace.txt >wine.out 2>wine.err &
  pid=$!
  wait_for "wave-file .*intro2"
  window=$(xdotool search --sync --name Zimbalot | head -n 1)
  sleep 1
  import -window root desktop-start.png
  xdotool key --window "$window" Escape
  wait_for "sound aeioufim"
  sleep 1
  import -window root desktop-closing.png
  xdotool key --window "$window" a
  wait "$pid"
' "$exe"
grep -q "exit 0" trace.txt && test -s program.png && test -s desktop-start.png &&
  test -s desktop-closing.png && echo "gui_smoke: ok ($out)"
