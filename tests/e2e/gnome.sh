#!/usr/bin/env bash
# The tray program in GNOME Shell (nested, on Xvfb) with the AppIndicator extension, through Xwayland.
# Clicks and keys reach the shell through the Xvfb window it draws into; loopback hosts only.
# Usage: gnome.sh PROGRAM OUTPUT_FOLDER
set -euo pipefail
bin=$1
out=$2
name=gnome
source "$(dirname "$0")/lib.sh"
skip_without gnome-shell Xvfb xdotool xprop gdbus gsettings import convert
[ -d /usr/share/gnome-shell/extensions/ubuntu-appindicators@ubuntu.com ] ||
    { echo "SKIP: the AppIndicator extension is not installed"; exit 77; }
mkdir -p "$out"

start_xvfb
screenx=(env DISPLAY="$DISPLAY")
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/runtime
# The shell asks the system bus for logind and accounts: a private one answers.
sed "s|@BASE@|$work|" "$(dirname "$0")/gnome-system-bus.conf" >"$work/system.conf"
mkdir -p "$work/gnome"
dbus-daemon --config-file="$work/system.conf" --fork --print-pid=1 >"$work/system.pid"
pids+=("$(cat "$work/system.pid")")
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/gnome/system_bus_socket
# The shell starts its helpers through the bus, so this bus has the system's service folders.
read -r address buspid < <(dbus-daemon --session --address="unix:dir=$work" --fork --print-address=1 --print-pid=1 | paste -sd ' ')
pids+=("$buspid")
export DBUS_SESSION_BUS_ADDRESS=$address
gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'
MUTTER_DEBUG_DUMMY_MODE_SPECS=1280x800 XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME \
    gnome-shell --nested --wayland --wayland-display=wayland-tw >"$work/shell.log" 2>&1 &
compositor=$!
pids+=("$compositor")
watcher() { gdbus introspect --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher >/dev/null 2>&1; }
until_true 60 watcher || fail "GNOME Shell's tray did not come up"
# The display of the Xwayland the compositor started.
xwayland() { ps -o args= --ppid "$compositor" | sed -n 's/^[^ ]*Xwayland :\([0-9]*\) .*/\1/p' | head -1; }
xwayland_up() { [ -n "$(xwayland)" ]; }
until_true 20 xwayland_up || fail "no Xwayland"
authority() { ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* >/dev/null 2>&1; }
until_true 20 authority || fail "no Xwayland authority"
appx=(env DISPLAY=":$(xwayland)" XAUTHORITY="$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -1)")
# Nested GNOME starts in the overview.
sleep 2
"${screenx[@]}" xdotool mousemove 640 400 click 1
"${screenx[@]}" xdotool key Escape

start_app() {
    env -u QT_QPA_PLATFORM HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        WAYLAND_DISPLAY=wayland-tw XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME "${appx[@]:1}" \
        "$bin" --hosts 127.0.0.1,::1 >>"$work/app.log" 2>&1 &
    app=$!
    pids+=("$app")
}
stop_app() {
    kill -TERM "$app"
    wait "$app" || fail "the program ended with status $? on SIGTERM"
}
extension() { gsettings set org.gnome.shell disable-user-extensions "$1"; }

echo "== the item registers, again when the tray comes back, and its menu reaches every window"
check_registration "extension true" "extension false" 1280x32+900+0

echo "== a click where the shell says the icon is opens the popover below the bar; Escape and a click elsewhere close it"
activate $((ix + iw / 2)) $((iy + ih / 2))
until_true 10 popover || fail "Activate at the icon opened nothing"
check_touches top
sleep 0.3
shot "$out/gnome-popover.png"
"${screenx[@]}" xdotool key Escape
until_true 10 no_popover || fail "Escape left the popover open"
"${appx[@]}" xmessage -geometry 500x300+100+200 "an ordinary window" &
pids+=($!)
until_true 10 "${appx[@]}" xdotool search --onlyvisible --class xmessage >/dev/null || fail "xmessage did not start"
activate $((ix + iw / 2)) $((iy + ih / 2))
until_true 10 popover || fail "the popover did not open again"
sleep 0.3
"${screenx[@]}" xdotool mousemove --sync 300 350 click 1
until_true 10 no_popover || fail "a click on another window left the popover open"
passed "popover against the bar, Escape, click elsewhere"

echo "== the mini window stays above an ordinary window, is dragged and comes back there"
activate $((ix + iw / 2)) $((iy + ih / 2))
until_true 10 popover || fail "the popover did not open"
sleep 0.3
check_mini

measure
echo "PASS: gnome (screenshots in $out)"
