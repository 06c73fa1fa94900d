#!/usr/bin/env bash
# The tray program in KDE Plasma (kwin_wayland nested on Xvfb, plasmashell with its bottom panel), through
# Xwayland. Clicks and keys reach KWin through the Xvfb window it draws into; loopback hosts only.
# Usage: kde.sh PROGRAM OUTPUT_FOLDER
set -euo pipefail
bin=$1
out=$2
name=kde
source "$(dirname "$0")/lib.sh"
skip_without kwin_wayland plasmashell kded5 Xvfb xdotool xprop gdbus busctl import convert
mkdir -p "$out"

start_xvfb
screenx=(env DISPLAY="$DISPLAY")
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/runtime
read -r address buspid < <(dbus-daemon --session --address="unix:dir=$work" --fork --print-address=1 --print-pid=1 | paste -sd ' ')
pids+=("$buspid")
export DBUS_SESSION_BUS_ADDRESS=$address
# kwin_wayland carries file capabilities a container cannot grant; a copy has none, and must keep the name.
mkdir -p "$work/kwin"
cp "$(command -v kwin_wayland)" "$work/kwin/kwin_wayland"
KWIN_COMPOSE=Q "$work/kwin/kwin_wayland" --x11-display "$DISPLAY" --width 1280 --height 800 --socket wayland-tw \
    --xwayland >"$work/kwin.log" 2>&1 &
compositor=$!
pids+=("$compositor")
# The display of the Xwayland the compositor started.
xwayland() { ps -o args= --ppid "$compositor" | sed -n 's/^[^ ]*Xwayland :\([0-9]*\) .*/\1/p' | head -1; }
xwayland_up() { [ -n "$(xwayland)" ]; }
until_true 30 xwayland_up || fail "KWin did not start Xwayland"
appx=(env DISPLAY=":$(xwayland)")
export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 WAYLAND_DISPLAY=wayland-tw
# Plasma's daemons are started by hand: the bus would start them without the session's variables.
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP KDE_FULL_SESSION KDE_SESSION_VERSION \
    XDG_RUNTIME_DIR HOME XDG_CONFIG_HOME XDG_DATA_HOME
QT_QPA_PLATFORM=wayland kded5 >"$work/kded.log" 2>&1 &
pids+=($!)
"$(dpkg -L kactivitymanagerd | grep -m1 'libexec/kactivitymanagerd$')" >"$work/activities.log" 2>&1 &
pids+=($!)
sleep 2
QT_QPA_PLATFORM=wayland plasmashell >"$work/plasma.log" 2>&1 &
pids+=($!)
tray() { busctl --user call org.kde.kded5 /kded org.kde.kded5 "$1" s statusnotifierwatcher >/dev/null 2>&1; }
watcher() { gdbus introspect --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher >/dev/null 2>&1; }
until_true 30 tray loadModule || fail "kded did not load the tray's watcher"
until_true 30 watcher || fail "no tray"

start_app() {
    env -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland "${appx[@]:1}" "$bin" --hosts 127.0.0.1,::1 >>"$work/app.log" 2>&1 &
    app=$!
    pids+=("$app")
}
stop_app() {
    kill -TERM "$app"
    wait "$app" || fail "the program ended with status $? on SIGTERM"
}

echo "== the item registers, again when the tray comes back, and its menu reaches every window"
check_registration "tray unloadModule" "tray loadModule" 400x44+880+756

echo "== a click on the icon opens the popover on the panel; Escape, a click elsewhere and a second click close it"
click_icon
until_true 10 popover || fail "a click on the icon opened nothing"
check_touches bottom
sleep 0.3
shot "$out/kde-popover.png"
"${screenx[@]}" xdotool key Escape
until_true 10 no_popover || fail "Escape left the popover open"
"${appx[@]}" xmessage -geometry 500x300+100+200 "an ordinary window" &
pids+=($!)
until_true 10 "${appx[@]}" xdotool search --onlyvisible --class xmessage >/dev/null || fail "xmessage did not start"
click_icon
until_true 10 popover || fail "the popover did not open again"
sleep 0.3
"${screenx[@]}" xdotool mousemove --sync 300 350 click 1
until_true 10 no_popover || fail "a click on another window left the popover open"
click_icon
until_true 10 popover || fail "the popover did not open a third time"
click_icon
until_true 10 no_popover || fail "a second click on the icon left the popover open"
passed "popover against the panel, Escape, click elsewhere, second click"

echo "== the mini window stays above an ordinary window, is dragged and comes back there"
click_icon
until_true 10 popover || fail "the popover did not open"
sleep 0.3
check_mini

echo "== a pinned panel comes back shown, not minimised, out of the task bar"
sed -i 's/^\[General\]$/[General]\npinned=true/' "$home/config/Tarnwick/Tarnwick.conf"
start_app
until_true 20 window "Tarnwick - panel" 200 >/dev/null || fail "the pinned panel did not come back"
state=$("${appx[@]}" xprop -id "$(window "Tarnwick - panel" 200)" _NET_WM_STATE)
[[ $state != *HIDDEN* && $state == *SKIP_TASKBAR* ]] || fail "the pinned panel came back as $state"
stop_app
passed "pinned panel restored, shown"

measure
echo "PASS: kde (screenshots in $out)"
