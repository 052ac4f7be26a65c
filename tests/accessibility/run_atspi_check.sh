#!/usr/bin/env bash
# Runs the program under a private X server (Xvfb), D-Bus session and accessibility bus,
# and reads it through AT-SPI with atspi_check.py, as a screen reader would.
# Usage: run_atspi_check.sh PROGRAM [--list]. Exits 77 (skipped) naming what is missing.
set -uo pipefail

program=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher

skip() {
  echo "SKIPPED: $1 (scripts/setup.sh installs it)"
  exit 77
}
command -v Xvfb >/dev/null || skip "Xvfb is missing (package xvfb)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is missing (package dbus)"
command -v dbus-send >/dev/null || skip "dbus-send is missing (package dbus)"
[ -x "$launcher" ] || skip "at-spi-bus-launcher is missing (package at-spi2-core)"
python=""
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c "import pyatspi" 2>/dev/null; then python=$candidate; break; fi
done
[ -n "$python" ] || skip "pyatspi is missing (package python3-pyatspi)"
[ -x "$program" ] || { echo "no program at $program"; exit 1; }

if [ -z "${ATSPI_CHECK_INSIDE:-}" ]; then
  # A session bus of our own, ended with everything started on it.
  ATSPI_CHECK_INSIDE=1 exec dbus-run-session -- "$0" "$program" "$@"
fi

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT

exec 3< <(Xvfb -displayfd 1 -screen 0 "${ATSPI_CHECK_SCREEN:-1280x1024x24}" -nolisten tcp 2>/dev/null)
pids+=($!)
read -r -t 30 display <&3 || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$display"

"$launcher" --launch-immediately >/dev/null 2>&1 &
pids+=($!)
# The program looks for the accessibility bus once, as it starts.
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
  sleep 0.1
done

# A scratch cache and TEMP, so the check neither reads nor leaves the user's.
scratch=$(mktemp -d)
trap 'cleanup; rm -rf "$scratch"' EXIT
export XDG_CACHE_HOME="$scratch/cache" TEMP="$scratch/tmp"
mkdir -p "$TEMP"

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
  ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}" "$program" >"$scratch/program.log" 2>&1 &
pids+=($!)

"$python" "$here/atspi_check.py" "$@"
status=$?
if [ $status -ne 0 ]; then
  echo "--- program output"
  cat "$scratch/program.log"
fi
exit $status
