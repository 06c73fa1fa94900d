#!/usr/bin/env bash
# The tray program in sway (headless) with waybar's tray, through Xwayland and on Wayland itself. Clicks come
# from a virtual pointer, keys from wtype; loopback hosts only. Sway refuses root, so as root the desktop and
# the program run as nobody.
# Usage: sway.sh PROGRAM VPTR OUTPUT_FOLDER
set -euo pipefail
out=$3
name=sway
source "$(dirname "$0")/lib.sh"
skip_without sway waybar grim wtype swaymsg gdbus convert dbus-daemon jq xmessage
[ -x "$2" ] || { echo "SKIP: no virtual pointer tool"; exit 77; }
mkdir -p "$out"

# Everything the desktop user runs lives in the work folder, which nobody can read.
mkdir -p "$work/bin"
cp "$1" "$work/bin/tarnwick"
cp "$2" "$work/bin/vptr"
bin=$work/bin/tarnwick
user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody "$work"
    user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
as_user() { "${user[@]}" env "$@"; }

runtime=$home/runtime
start_bus "${user[@]}"
base=(PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
      XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS")
cat >"$work/sway.conf" <<CONF
output HEADLESS-1 mode 1280x800 position 0 0
default_border normal
exec env >$work/sway.env
CONF
as_user "${base[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
until_true 20 grep -q '^DISPLAY=' "$work/sway.env" || fail "sway did not start"
session=("${base[@]}" WAYLAND_DISPLAY="$(sed -n 's/^WAYLAND_DISPLAY=//p' "$work/sway.env")"
         SWAYSOCK="$(sed -n 's/^SWAYSOCK=//p' "$work/sway.env")" DISPLAY="$(sed -n 's/^DISPLAY=//p' "$work/sway.env")"
         XDG_SESSION_TYPE=wayland)
in_session() { as_user "${session[@]}" "$@"; }
as=(in_session)
# grim runs as the desktop user, who cannot write outside the work folder.
shot() { in_session grim "$work/shot.png" && cp "$work/shot.png" "$1"; }
# Without input devices the seat has neither pointer nor keyboard, and Xwayland hears no keys: these two stay
# until the end.
in_session "$work/bin/vptr" 1280 800 m 640 400 s 100000000 >/dev/null 2>&1 &
pids+=($!)
in_session wtype -s 100000000 >/dev/null 2>&1 &
pids+=($!)
click() { in_session "$work/bin/vptr" 1280 800 m "$1" "$2" c 272 >/dev/null 2>&1; }

cp "$(dirname "$0")/waybar.json" "$(dirname "$0")/waybar.css" "$work/"
start_waybar() {
    in_session waybar -c "$work/waybar.json" -s "$work/waybar.css" >"$work/waybar.log" 2>&1 &
    pids+=($!)
}
start_app() {
    in_session "$@" "$bin" --hosts 127.0.0.1,::1 >>"$work/app.log" 2>&1 &
    app=$!
    pids+=("$app")
}
stop_app() {
    pkill -TERM -f "^$bin" || true
    until_true 10 bash -c "! pgrep -f '^$bin' >/dev/null" || fail "the program did not end"
}
# The program's windows as sway holds them: "name<TAB>x y width height", one a line.
windows() {
    in_session swaymsg -t get_tree | jq -r '.. | objects | select((.name? // "") | startswith("Tarnwick")) |
        "\(.name)\t\(.rect.x) \(.rect.y) \(.rect.width) \(.rect.height)"'
}
has() { windows | cut -f1 | grep -qx "$1"; }
hasnt() { ! has "$1"; }
geometry() { windows | awk -F'\t' -v n="$1" '$1 == n { print $2; exit }'; }
floating_everywhere() {
    in_session swaymsg -t get_tree | jq -e --arg n "$1" '[.. | objects | .floating_nodes? // empty | .[] |
        select(.name == $n and .sticky)] | length > 0' >/dev/null
}
# The workspace's usable area: the screen less the bar.
area() { in_session swaymsg -t get_workspaces | jq -r '.[] | select(.focused) | "\(.rect.x) \(.rect.y) \(.rect.width) \(.rect.height)"'; }

echo "== waybar starts 5 s after the program (through Xwayland)"
start_app
sleep 5
has "Tarnwick - panel" && fail "the stand-in panel showed while the tray was still coming"
start_waybar
until_true 5 registered || fail "the item did not register with waybar's watcher"
[ "$(menu_labels)" = "$expected_labels" ] || fail "the menu reads '$(menu_labels)'"
read -r ax ay aw ah < <(area)
sleep 1
shot "$work/screen.png"
box=$(icon_box "$work/screen.png" "1280x$ay+0+0") || fail "no icon in the bar"
read -r iw ih ix iy <<<"$box"

echo "== the icon's coordinates open the popover against the bar; Escape and a second click close it"
activate $((ix + iw / 2)) $((iy + ih / 2))
until_true 10 has Tarnwick || fail "Activate at the icon opened nothing"
popover_at_bar() { read -r _ py _ _ <<<"$(geometry Tarnwick)"; [ "$py" = "$ay" ]; }
until_true 5 popover_at_bar || fail "the popover stands at $(geometry Tarnwick), not against the bar (top $ay)"
read -r px py pw ph <<<"$(geometry Tarnwick)"
((px <= ix + iw / 2 && px + pw >= ix + iw / 2 && px + pw <= ax + aw && py + ph <= ay + ah)) ||
    fail "the popover at $px,$py ${pw}x$ph is not under the icon at $ix or leaves the usable area"
sleep 0.3
shot "$out/sway-xwayland-popover.png"
in_session wtype -k Escape
until_true 10 hasnt Tarnwick || fail "Escape left the popover open"
# A person's next click comes later: one within 300 ms of the popover losing the focus is taken as the click
# that closed it.
sleep 0.4
click $((ix + iw / 2)) $((iy + ih / 2))
until_true 10 has Tarnwick || fail "a click on the icon opened nothing"
sleep 0.3
click $((ix + iw / 2)) $((iy + ih / 2))
until_true 10 hasnt Tarnwick || fail "a second click on the icon left the popover open"

echo "== the mini window floats above an ordinary window on every workspace, is dragged and comes back there"
# An ordinary X11 window, made after the program's windows: sway keeps X11 stacking in creation order, and
# the mini window must still get its own clicks.
in_session xmessage -geometry 600x400 "an ordinary window" >/dev/null 2>&1 &
pids+=($!)
ordinary_up() { in_session swaymsg -t get_tree | grep -q '"class": "Xmessage"'; }
until_true 10 ordinary_up || fail "the ordinary window did not open"
activate $((ix + iw / 2)) $((iy + ih / 2))
until_true 10 has Tarnwick || fail "the popover did not open"
sleep 0.3
click $((px + pw / 2)) $((py + 40))
click $((px + pw / 2)) $((py + 40))
sleep 0.3
in_session wtype -M ctrl -k m -m ctrl
until_true 10 has "Tarnwick - mini" || fail "Ctrl+M opened no mini window"
until_true 5 floating_everywhere "Tarnwick - mini" || fail "the mini window does not float on every workspace"
# A click on the ordinary window closes the popover and leaves the mini window above it.
click 300 400
until_true 10 hasnt Tarnwick || fail "a click on another window left the popover open"
# Sway starts a move only from the window that has the focus: the first click gives it.
read -r mx my mw mh <<<"$(geometry "Tarnwick - mini")"
click $((mx + mw - 40)) $((my + mh - 10))
sleep 0.5
steps=()
for i in $(seq 1 10); do steps+=(m $((mx + 40 - 26 * i)) $((my + 8 + 20 * i)) s 30); done
in_session "$work/bin/vptr" 1280 800 m $((mx + 40)) $((my + 8)) d 272 s 100 "${steps[@]}" u 272 >/dev/null 2>&1
sleep 1
read -r nx ny _ _ <<<"$(geometry "Tarnwick - mini")"
[ "$nx,$ny" != "$mx,$my" ] || fail "dragging did not move the mini window from $mx,$my: $(windows | tr "\n\t" "; ")"
stop_app
start_app
until_true 20 has "Tarnwick - mini" || fail "the mini window did not come back"
mini_back() { read -r x y _ _ <<<"$(geometry "Tarnwick - mini")"; [ "$x,$y" = "$nx,$ny" ]; }
until_true 5 mini_back || fail "the mini window came back at $(geometry "Tarnwick - mini") instead of $nx,$ny"
stop_app

echo "== on Wayland itself: the popover opens and closes, nothing warns, no place is saved"
sed -i '/^NSWindow/d' "$home/config/Tarnwick/Tarnwick.conf"
: >"$work/app.log"
start_app QT_QPA_PLATFORM=wayland
until_true 10 registered || fail "the Wayland program did not register"
activate $((ix + iw / 2)) $((iy + ih / 2))
until_true 10 has Tarnwick || fail "Activate opened nothing on Wayland"
sleep 0.3
shot "$out/sway-wayland-popover.png"
in_session wtype -k Escape
until_true 10 hasnt Tarnwick || fail "Escape left the Wayland popover open"
stop_app
grep -q . "$work/app.log" && fail "the Wayland program printed: $(head -3 "$work/app.log")"
grep -q '^NSWindow' "$home/config/Tarnwick/Tarnwick.conf" && fail "a place was saved on Wayland"

measure
echo "PASS: sway (screenshots in $out)"
