#!/usr/bin/env bash
# The tray program end to end on a real X server: Xvfb, trayer as the system tray, a private session bus,
# temporary home folders and loopback hosts only. Clicks and keys come from xdotool.
# Usage: e2e.sh PROGRAM OUTPUT_FOLDER (screenshots land in the output folder).
set -euo pipefail

bin=$1
out=$2
name=e2e
source "$(dirname "$0")/lib.sh"
skip_without Xvfb trayer xdotool xprop dbus-daemon import
mkdir -p "$out"

has() { window "$@" >/dev/null; }
hasnt() { ! window "$@" >/dev/null; }
geometry() { xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)='; }

# --- the desktop: X server, session bus, tray ---
start_xvfb
start_bus

start_tray() {
    trayer --edge top --align right --widthtype request --height 24 --tint 0x404040 --transparent true --alpha 0 \
        >/dev/null 2>&1 &
    traypid=$!
    pids+=("$traypid")
    until_true 10 xdotool search --onlyvisible --class trayer >/dev/null || fail "trayer did not start"
}
start_tray

# --- the program, in a home of its own ---
usage=$home/data/Tarnwick/hotspot-usage.json
# In a sanitizer build: the X keyboard library hands strndup() atom names without a terminating NUL, which
# strict string checks report inside that library; everything else stays checked.
asan=${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0
start_app() {
    env -u WAYLAND_DISPLAY ASAN_OPTIONS="$asan" HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb "$bin" --hosts 127.0.0.1,::1 >>"$work/app.log" 2>&1 &
    app=$!
    pids+=("$app")
}
# A click as a person makes it: not within the instant a window closed.
click_icon() {
    local icon
    icon=$(window Tarnwick 8 64) || fail "no tray icon"
    eval "$(geometry "$icon")"
    sleep 0.3
    xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
}
open_popover() {
    click_icon
    until_true 10 has Tarnwick 200 600 || fail "the popover did not open"
}

echo "== first start"
start_app
until_true 20 has Tarnwick 8 64 || fail "the tray icon did not appear"
until_true 10 test -f "$home/config/autostart/tarnwick.desktop" || fail "the first start registered no login item"

open_popover
sleep 0.5 # let it paint before the picture
import -window root "$out/e2e-popover.png"
xdotool key Escape
until_true 10 hasnt Tarnwick 200 600 || fail "Escape left the popover open"

open_popover
xdotool mousemove --sync 200 600 click 1
until_true 10 hasnt Tarnwick 200 600 || fail "a click outside left the popover open"

echo "== mini panel: open and drag"
open_popover
xdotool key ctrl+m
until_true 10 has "Tarnwick - mini" 100 400 || fail "the mini panel did not open"
# On every workspace: the window manager reads this when the panel is first mapped.
xprop -id "$(window "Tarnwick - mini" 100 400)" _NET_WM_DESKTOP | grep -q '= 4294967295$' ||
    fail "the mini panel is not on every workspace"
xdotool key Escape
until_true 10 hasnt Tarnwick 200 600 || fail "the popover stayed open"
eval "$(geometry "$(window "Tarnwick - mini" 100 400)")"
x0=$X
y0=$Y
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + 6)) mousedown 1
for _ in $(seq 10); do
    xdotool mousemove_relative --sync -- -30 20
done
xdotool mouseup 1
until_true 10 bash -c "xdotool getwindowgeometry --shell $(window "Tarnwick - mini" 100 400) | grep -qx 'X=$((x0 - 300))'" ||
    fail "the mini panel was not dragged"
eval "$(geometry "$(window "Tarnwick - mini" 100 400)")"
((Y == y0 + 200)) || fail "the mini panel moved to $X,$Y instead of $((x0 - 300)),$((y0 + 200))"
miniX=$X
miniY=$Y

echo "== settings: change a host and save"
open_popover
xdotool key ctrl+comma
until_true 10 has "Tarnwick - ustawienia" 300 800 || fail "the settings window did not open"
sleep 0.3
import -window root "$out/e2e-settings.png"
xdotool key ctrl+a
xdotool type --delay 20 127.0.0.3
xdotool key Return
until_true 10 hasnt "Tarnwick - ustawienia" 300 800 || fail "Zapisz left the settings window open"
grep -q '127.0.0.3' "$prefs" || fail "the saved hosts are not in $prefs"

echo "== quit saves the hotspot totals"
rm -f "$usage"
open_popover
xdotool key ctrl+q
until_true 10 bash -c "! kill -0 $app 2>/dev/null" || fail "quit did not end the program"
wait "$app" || fail "the program ended with status $?"
test -f "$usage" || fail "quit did not write $usage"

echo "== second start: panels come back where they were"
sed -i 's/^\[General\]$/[General]\npinned=true/' "$prefs"
start_app
until_true 20 has "Tarnwick - mini" 100 400 || fail "the mini panel did not come back"
until_true 10 has "Tarnwick - panel" 200 600 || fail "the pinned panel did not come back"
eval "$(geometry "$(window "Tarnwick - mini" 100 400)")"
((X == miniX && Y == miniY)) || fail "the mini panel came back at $X,$Y instead of $miniX,$miniY"
sleep 0.5
import -window root "$out/e2e-panels.png"
pinned=$(window "Tarnwick - panel" 200 600)
xdotool windowfocus --sync "$pinned"
xdotool key Escape
until_true 10 hasnt "Tarnwick - panel" 200 600 || fail "Escape did not un-pin the panel"
until_true 10 has Tarnwick 200 600 || fail "un-pinning did not open the popover"
grep -qx 'pinned=false' "$prefs" || fail "un-pinning was not stored"

echo "== termination signal saves the hotspot totals"
rm -f "$usage"
kill -TERM "$app"
wait "$app" || fail "the program ended with status $? on SIGTERM"
test -f "$usage" || fail "SIGTERM did not write $usage"

echo "== without a tray the pinned panel serves, and the tray takes over once it appears"
kill "$traypid"
wait "$traypid" 2>/dev/null || true
until_true 10 bash -c "! xdotool search --onlyvisible --class trayer >/dev/null 2>&1" || fail "trayer did not end"
start_app
until_true 20 has "Tarnwick - panel" 200 600 || fail "without a tray no window showed"
start_tray
until_true 20 has Tarnwick 8 64 || fail "the tray icon did not appear once the tray did"
until_true 10 hasnt "Tarnwick - panel" 200 600 || fail "the stand-in panel stayed"
kill -TERM "$app"
wait "$app" || fail "the program ended with status $? on SIGTERM"

echo "PASS: e2e (screenshots in $out)"
