#!/usr/bin/env bash
# The real program in a real X server, driven as a user would: it starts on a data folder whose
# first run is done, shows its main window, opens the screen of every tab that asks no password
# and no question (closing each by its own Close or Exit button where it has one), pops up the
# Help menu, and ends through Exit with status 0. Any word on standard error fails the test.
set -euo pipefail
build="$1"
scratch=$(mktemp -d)
xserver=""
program=""
cleanup() {
  set +e
  [ -n "$program" ] && kill "$program" 2>/dev/null
  [ -n "$xserver" ] && kill "$xserver" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -s "$scratch/velorine.err" ] && { echo "velorine said:"; cat "$scratch/velorine.err"; }; exit 1; }

# Waits up to 15 seconds for a command to succeed.
wait_for() {
  local deadline=$((SECONDS + 15))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# A free display of our own, since tests run in parallel; -noreset, or the server resets (and
# refuses connections for a moment) each time its last client goes.
Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -noreset 9>"$scratch/display" >/dev/null 2>"$scratch/xvfb.err" &
xserver=$!
wait_for test -s "$scratch/display" || fail "Xvfb did not start: $(cat "$scratch/xvfb.err")"
export DISPLAY=":$(head -n1 "$scratch/display")"
# Xvfb names its display a moment before it takes connections.
wait_for xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb takes no connections: $(cat "$scratch/xvfb.err")"
mkdir -m 0700 "$scratch/runtime"
export XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=xcb VELORINE_HOME="$scratch/home"
unset VELORINE_DIALOGS QT_LOGGING_RULES

"$build/tests/product/velorine-testbook" "$VELORINE_HOME" "Smoke Test Salon"
"$build/tests/product/velorine-smokeprobe" >"$scratch/probe" || fail "the probe failed"

visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null || true; }
# The visible window with exactly this title.
window_titled() {
  local id
  for id in $(visible_windows); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && { echo "$id"; return 0; }
  done
  return 1
}
no_window_titled() { ! window_titled "$1" >/dev/null; }
# The main window: "Velorine", or "Velorine - " and a saying, at least 900 pixels wide.
main_window() {
  local id name
  for id in $(visible_windows); do
    name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
    [[ "$name" == "Velorine" || "$name" == "Velorine - "* ]] || continue
    eval "$(xdotool getwindowgeometry --shell "$id")"
    ((WIDTH >= 900)) && { echo "$id"; return 0; }
  done
  return 1
}
# Clicks at a point given relative to a window's corner.
click_in() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + $2)) $((Y + $3)) click 1
}
probe() { awk -v kind="$1" -v n="$2" '$1 == kind && $2 == n' "$scratch/probe"; }

"$build/src/shell/velorine" >/dev/null 2>"$scratch/velorine.err" &
program=$!
wait_for main_window >/dev/null || fail "no main window"
main=$(main_window)
title=$(xdotool getwindowname "$main")
[[ "$title" == Velorine* ]] || fail "main window title: $title"

for tab in 2 4 5 6 7 9 10; do
  read -r _ _ tx ty < <(probe tab "$tab") || fail "the probe found no tab $tab"
  read -r _ _ bx by screen < <(probe screen "$tab") || fail "the probe found no screen for tab $tab"
  xdotool windowraise "$main"
  click_in "$main" "$tx" "$ty"
  wait_for window_titled "$screen" >/dev/null || fail "tab $tab did not open \"$screen\""
  if [ "$bx" != "-" ]; then
    click_in "$(window_titled "$screen")" "$bx" "$by"
    wait_for no_window_titled "$screen" || fail "\"$screen\" did not close on its button"
  fi
  kill -0 "$program" 2>/dev/null || fail "the program ended after tab $tab"
done

# The Help tab pops up its menu, which Escape closes.
before=$(visible_windows | wc -l)
read -r _ _ tx ty < <(probe tab 8) || fail "the probe found no Help tab"
xdotool windowraise "$main"
click_in "$main" "$tx" "$ty"
menu_shown() { (($(visible_windows | wc -l) > before)); }
menu_gone() { (($(visible_windows | wc -l) == before)); }
wait_for menu_shown || fail "the Help menu did not pop up"
xdotool key Escape
wait_for menu_gone || fail "the Help menu stayed"

# Exit ends the program, closing the screens left open (those without a button of their own).
read -r _ ex ey < <(awk '$1 == "exit"' "$scratch/probe") || fail "the probe found no Exit button"
xdotool windowraise "$main"
click_in "$main" "$ex" "$ey"
ended() { ! kill -0 "$program" 2>/dev/null; }
wait_for ended || fail "Exit did not end the program"
status=0
wait "$program" || status=$?
program=""
((status == 0)) || fail "the program ended with status $status"
[ ! -s "$scratch/velorine.err" ] || fail "warnings on standard error"
echo "smoke test passed: $(grep -c '^screen' "$scratch/probe") screens opened"
