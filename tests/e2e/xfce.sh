#!/usr/bin/env bash
# The tray program in an Xfce panel on Xvfb, as a status notifier item and as an embedded icon, with the panel
# at the top and at the bottom, light and dark. Clicks and keys come from xdotool; loopback hosts only.
# Usage: xfce.sh PROGRAM OUTPUT_FOLDER
set -euo pipefail
bin=$1
out=$2
name=xfce
source "$(dirname "$0")/lib.sh"
skip_without Xvfb xfce4-panel xfwm4 xfconf-query xdotool xprop xmessage gdbus import convert
mkdir -p "$out"

start_xvfb
start_bus
panelhome=$work/panel
mkdir -p "$panelhome/xfce4/xfconf/xfce-perchannel-xml"
cp "$(dirname "$0")/xfce4-panel.xml" "$panelhome/xfce4/xfconf/xfce-perchannel-xml/"
export XDG_CONFIG_HOME=$panelhome
/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd >/dev/null 2>&1 &
pids+=($!)
xfwm4 --compositor=off >/dev/null 2>&1 &
pids+=($!)
panel=
start_panel() {
    xfce4-panel >/dev/null 2>&1 &
    panel=$!
    pids+=("$panel")
}
stop_panel() {
    xfce4-panel --quit >/dev/null 2>&1 || kill "$panel"
    wait "$panel" 2>/dev/null || true
}
panel_set() { xfconf-query -c xfce4-panel -p "$1" -s "$2" >/dev/null 2>&1 || xfconf-query -c xfce4-panel -n -p "$1" -t "$3" -s "$2"; }

start_app() {
    env -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb "$bin" --hosts 127.0.0.1,::1 >>"$work/app.log" 2>&1 &
    app=$!
    pids+=("$app")
}
stop_app() {
    kill -TERM "$app"
    wait "$app" || fail "the program ended with status $? on SIGTERM"
}

echo "== the panel starts 5 s after the program"
start_app
sleep 5
window "Tarnwick - panel" >/dev/null && fail "the stand-in panel showed while the tray was still coming"
start_panel
until_true 5 registered || fail "the item did not register with the panel's watcher"
[ "$(menu_labels)" = "$expected_labels" ] || fail "the menu reads '$(menu_labels)'"
until_true 10 find_icon 1280x30+0+770 || fail "no icon in the bottom panel"

echo "== bottom panel: a click opens the popover against the icon"
click_icon
until_true 10 popover || fail "a click on the icon opened nothing"
check_touches bottom
sleep 0.3
shot "$out/xfce-bottom-popover.png"
xdotool key Escape
until_true 10 no_popover || fail "Escape left the popover open"
click_icon
until_true 10 popover || fail "the second opening failed"
click_icon
until_true 10 no_popover || fail "a second click on the icon left the popover open"
click_icon
until_true 10 popover || fail "the third opening failed"
xdotool mousemove --sync 300 300 click 1
until_true 10 no_popover || fail "a click outside left the popover open"

echo "== the mini window stays above an ordinary window, is dragged and comes back there"
xmessage -geometry 500x300+100+200 "an ordinary window" &
pids+=($!)
until_true 10 xdotool search --onlyvisible --class xmessage >/dev/null || fail "xmessage did not start"
click_icon
until_true 10 popover || fail "the popover did not open"
check_mini

echo "== top panel, dark, 16 px and 22 px icons: legible, and the popover against the icon"
stop_panel
panel_set /panels/panel-1/position "p=6;x=0;y=0" string
panel_set /panels/panel-1/background-style 1 uint
xfconf-query -c xfce4-panel -p /panels/panel-1/background-rgba -n -t double -t double -t double -t double \
    -s 0.2 -s 0.2 -s 0.2 -s 1
for size in 22 16; do
    panel_set /plugins/plugin-3/icon-size "$size" int
    panel_set /panels/panel-1/size $((size + 8)) uint
    start_panel
    start_app
    until_true 10 registered || fail "the item did not register with a panel already there"
    until_true 10 find_icon 1280x$((size + 8))+0+0 || fail "no icon in the top panel"
    read -r iw ih ix iy <<<"$icon"
    shot "$out/xfce-top-$size.png"
    ((ih <= size + 1)) || fail "the icon is ${ih}px high in a ${size}px slot"
    c=$(contrast "$work/screen.png" "${iw}x${ih}+${ix}+${iy}")
    ((c >= 60)) || fail "the ${size}px icon's figure has contrast $c/100 on a dark panel"
    stop_app
    stop_panel
done
start_panel
start_app
until_true 10 registered || fail "the item did not register"
until_true 10 find_icon 1280x24+0+0 || fail "no icon in the top panel"
click_icon
until_true 10 popover || fail "a click on the icon opened nothing"
check_touches top
shot "$out/xfce-top-popover.png"
xdotool key Escape
stop_app
measure

echo "== embedded icon: the program on a bus without the panel's watcher"
start_bus
start_app
until_true 20 window Tarnwick 8 64 >/dev/null || fail "no embedded icon"
w=$(window Tarnwick 8 64)
ix=$(geo "$w" X) iy=$(geo "$w" Y) iw=$(geo "$w" WIDTH)
# A second after the start the program tidies its windows, the popover among them.
sleep 1.5
xdotool mousemove --sync $((ix + iw / 2)) $((iy + iw / 2)) click 1
until_true 10 popover || fail "a click on the embedded icon opened nothing"
check_touches top
xdotool key Escape
until_true 10 no_popover || fail "Escape left the popover open"
stop_app

echo "PASS: xfce (screenshots in $out)"
