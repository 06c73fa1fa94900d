# Pieces the desktop tests share; sourced by them, not run. The caller sets `out` (screenshots) and `name`.

# The test suite runs offscreen; these tests need the desktop's own platform.
unset QT_QPA_PLATFORM
support=$(cd "$(dirname "${BASH_SOURCE[0]}")/../support" && pwd)
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
    local p
    # A function run in the background is a subshell whose child is the program.
    for p in "${pids[@]}"; do pkill -P "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Takes a screenshot of the whole screen into $1; each desktop test sets how.
shot() { import -window root "$1" 2>/dev/null; }

fail() {
    echo "FAIL ($name): $*"
    shot "$out/$name-failure.png" || true
    local log
    for log in "$work"/*.log; do
        sed "s|^|  $(basename "$log" .log): |" "$log" | tail -15
    done
    exit 1
}

skip_without() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is not installed (scripts/setup installs it)"
            exit 77
        fi
    done
}

# Polls a condition for up to $1 seconds; the program is given time, never timed.
until_true() {
    local limit=$(($1 * 10)) i
    shift
    for ((i = 0; i < limit; i++)); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# A home of the program's own.
home=$work/home
mkdir -p "$home/config" "$home/data" "$home/runtime"
chmod 700 "$home/runtime"
prefs=$home/config/Tarnwick/Tarnwick.conf

# A private session bus that starts nothing by itself.
start_bus() {
    local address buspid
    {
        read -r address
        read -r buspid
    } < <("$@" dbus-daemon --config-file="$support/private-bus.conf" --fork --print-address=1 --print-pid=1)
    pids+=("$buspid")
    export DBUS_SESSION_BUS_ADDRESS=$address
}

# An X server on a free display; exports DISPLAY.
start_xvfb() {
    local n xpid
    ours() { [ "$(tr -d ' ' 2>/dev/null <"/tmp/.X$1-lock")" = "$2" ] && kill -0 "$2" 2>/dev/null; }
    for n in $(seq 90 250); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        xpid=$!
        export DISPLAY=":$n"
        # Ours only when the display's lock names our server: another one may have taken the number meanwhile.
        if until_true 10 ours "$n" "$xpid" && until_true 10 xdotool getdisplaygeometry >/dev/null 2>&1; then
            pids+=("$xpid")
            return 0
        fi
        kill "$xpid" 2>/dev/null || true
        unset DISPLAY
    done
    fail "no free X display"
}

# How the bus calls below are made; a desktop that runs as another user runs them as that user.
as=()

# The program's status notifier item on the bus (the test runs no other).
item() {
    "${as[@]}" gdbus call --session --dest org.freedesktop.DBus --object-path / --method org.freedesktop.DBus.ListNames \
        2>/dev/null | grep -o 'org\.kde\.StatusNotifierItem-[0-9]*-[0-9]*' | head -1
}
# The tray's watcher lists it.
registered() {
    local name
    name=$(item) && [ -n "$name" ] || return 1
    "${as[@]}" gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems \
        2>/dev/null | grep -q "$name"
}
menu_labels() {
    "${as[@]}" gdbus call --session --dest "$(item)" --object-path /MenuBar --method com.canonical.dbusmenu.GetLayout -- 0 -1 '@as []' |
        grep -o "'label': <'[^']*'>" | sed "s/'label': <'\(.*\)'>/\1/" | paste -sd '|'
}
# A click as the tray reports it, made as a person would: not within the instant a window closed.
activate() {
    sleep 0.3
    "${as[@]}" gdbus call --session --dest "$(item)" --object-path /StatusNotifierItem \
        --method org.kde.StatusNotifierItem.Activate -- "$1" "$2" >/dev/null
}
expected_labels="Pokaż panel|Mini okno|Zaawansowane|Ustawienia…|Przywróć położenie okien|Odśwież|Zakończ Tarnwick"

# The icon's box on a screenshot: the largest icon-sized patch of the chip it is drawn on inside the strip $2
# (WxH+X+Y). Prints "W H X Y".
icon_box() {
    local ox oy
    IFS='+' read -r _ ox oy <<<"$2"
    convert "$1" -crop "$2" +repage -fuzz 3% -fill magenta -opaque '#1C1C1E' -fill magenta -opaque '#D70015' \
        -fuzz 0 -fill black +opaque magenta -define connected-components:verbose=true -connected-components 8 null: |
        awk -v ox="$ox" -v oy="$oy" '/srgb\(255,0,255\)/ {
            split($2, g, /[x+]/); w = g[1]; h = g[2]
            if (w >= 10 && w <= 40 && h >= 10 && h <= 40 && w - h <= 4 && h - w <= 4 && $4 > best) { best = $4; box = w " " h " " g[3] + ox " " g[4] + oy }
        } END { if (box == "") exit 1; print box }'
}
# The lightest and darkest grey inside box $2 of image $1, as a difference out of 100.
contrast() {
    convert "$1" -crop "$2" -colorspace Gray -format '%[fx:int(100*(maxima-minima))]' info:
}

# --- X11 desktops. The program's windows are looked at on its own X server (`appx`: a command prefix that sets
# DISPLAY, for Xwayland) and the screen is seen and clicked on the outer one (`screenx`).
appx=()
screenx=()

# A visible window of the program by exact title, at least $2 and at most $3 pixels wide; prints its id.
window() {
    local w width
    for w in $("${appx[@]}" xdotool search --onlyvisible --class tarnwick 2>/dev/null); do
        [ "$("${appx[@]}" xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] || continue
        width=$(geo "$w" WIDTH) || continue
        ((width >= ${2:-0} && width <= ${3:-100000})) && echo "$w" && return 0
    done
    return 1
}
popover() { window Tarnwick 200 >/dev/null; }
no_popover() { ! popover; }
geo() { "${appx[@]}" xdotool getwindowgeometry --shell "$1" | sed -n "s/^$2=//p"; }

# The icon in the panel's strip, once the panel has laid it out: where a user would click it.
icon=
find_icon() {
    local strip=$1 box before
    shot "$work/screen.png"
    box=$(icon_box "$work/screen.png" "$strip") || return 1
    read -r iw ih ix iy <<<"$box"
    [ "${iw:-0}" -ge 12 ] && [ "$iw" -le 40 ] || return 1
    before=$box
    sleep 0.5
    shot "$work/screen.png"
    [ "$(icon_box "$work/screen.png" "$strip")" = "$before" ] || return 1
    icon=$box
}
# A click as a person makes it: not within the instant a window appears.
click_icon() {
    read -r iw ih ix iy <<<"$icon"
    sleep 0.3
    "${screenx[@]}" xdotool mousemove --sync $((ix + iw / 2)) $((iy + ih / 2)) click 1
}
# The popover's edge lies on the edge of the usable area that the panel's strut leaves, and the popover
# inside that area.
check_touches() {
    local w x y width h ax ay aw ah
    w=$(window Tarnwick 200) || fail "no popover"
    x=$(geo "$w" X) y=$(geo "$w" Y) width=$(geo "$w" WIDTH) h=$(geo "$w" HEIGHT)
    read -r ax ay aw ah < <("${appx[@]}" xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | cut -d' ' -f1-4)
    ((x >= ax && x + width <= ax + aw && y >= ay && y + h <= ay + ah)) ||
        fail "the popover at $x,$y ${width}x$h leaves the usable area $ax,$ay ${aw}x$ah"
    if [ "$1" = top ]; then
        ((y == ay)) || fail "the popover's top is at $y, not against the panel ($ay)"
    else
        ((y + h == ay + ah)) || fail "the popover's bottom is at $((y + h)), not against the panel ($((ay + ah)))"
    fi
}

# The item registers, and again after the tray went away and came back (the commands $1 and $2 do that), its
# menu reads right, and its icon, looked for in the region $3, is legible. Leaves the icon's box in iw ih ix iy.
check_registration() {
    start_app
    until_true 10 registered || fail "the item did not register"
    $1
    until_true 10 bash -c "! gdbus introspect --session --dest org.kde.StatusNotifierWatcher --object-path / >/dev/null 2>&1" ||
        fail "the tray did not go"
    $2
    until_true 10 registered || fail "the item did not register again when the tray came back"
    [ "$(menu_labels)" = "$expected_labels" ] || fail "the menu reads '$(menu_labels)'"
    until_true 30 find_icon "$3" || fail "no icon in the panel"
    read -r iw ih ix iy <<<"$icon"
    shot "$out/$name-panel.png"
    local c
    c=$(contrast "$work/screen.png" "${iw}x${ih}+${ix}+${iy}")
    ((c >= 60)) || fail "the icon's figure has contrast $c/100 on the panel"
    passed "registers, late tray, menu, icon legible (${ih}px)"
}

# The mini window on an X11 desktop: opened with Ctrl+M from the open popover, still above the ordinary window
# (an xmessage the caller started at 100,200) after a click into that window, dragged by its header, and back
# where it was dragged after a restart. The host script defines start_app and stop_app.
check_mini() {
    local mini ordinary x0 y0 x1 y1
    "${screenx[@]}" xdotool key ctrl+m
    until_true 10 window "Tarnwick - mini" >/dev/null || fail "Ctrl+M opened no mini window"
    mini=$(window "Tarnwick - mini")
    ordinary=$("${appx[@]}" xdotool search --onlyvisible --class xmessage | head -1)
    "${screenx[@]}" xdotool mousemove --sync 150 400 click 1
    sleep 0.5
    "${appx[@]}" xprop -root _NET_CLIENT_LIST_STACKING |
        grep -qiE "$(printf '0x%x' "$ordinary").*$(printf '0x%x' "$mini")" || fail "the ordinary window went above the mini window"
    x0=$(geo "$mini" X) y0=$(geo "$mini" Y)
    "${screenx[@]}" xdotool mousemove --sync $((x0 + 40)) $((y0 + 6)) mousedown 1
    for _ in $(seq 10); do "${screenx[@]}" xdotool mousemove_relative --sync -- -30 20; done
    "${screenx[@]}" xdotool mouseup 1
    sleep 0.5
    x1=$(geo "$mini" X) y1=$(geo "$mini" Y)
    [ "$x1,$y1" != "$x0,$y0" ] || fail "dragging did not move the mini window"
    stop_app
    start_app
    until_true 20 window "Tarnwick - mini" >/dev/null || fail "the mini window did not come back"
    mini=$(window "Tarnwick - mini")
    [ "$(geo "$mini" X),$(geo "$mini" Y)" = "$x1,$y1" ] ||
        fail "the mini window came back at $(geo "$mini" X),$(geo "$mini" Y) instead of $x1,$y1"
    stop_app
    passed "mini above, dragged, restored"
}

# One check of a desktop passed; scripts/test-desktops gathers these into its table.
passed() { echo "ok: $*"; }

# With MEASURE=SECONDS: five starts timed until the tray has the item, then the program's own CPU and its peak
# memory over that many seconds with no window open. The host script defines start_app and stop_app.
measure() {
    [ -n "${MEASURE:-}" ] || return 0
    local times=() i t0 pid hz a b
    for i in 1 2 3 4 5; do
        t0=$(date +%s%N)
        start_app
        for ((j = 0; j < 1000; j++)); do registered && break; sleep 0.01; done
        times+=($((($(date +%s%N) - t0) / 1000000)))
        stop_app
    done
    start_app
    until_true 10 registered || fail "the item did not register"
    sleep 5
    pid=$(pgrep -nf "$bin --hosts")
    hz=$(getconf CLK_TCK)
    a=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$MEASURE"
    b=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    echo "measure: $name start to registered ms: $(printf '%s\n' "${times[@]}" | sort -n | paste -sd ' ')" \
        "(median $(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p))"
    awk -v t=$((b - a)) -v hz="$hz" -v s="$MEASURE" -v rss="$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")" -v n="$name" \
        'BEGIN { printf "measure: %s idle CPU %.3f %% of one core over %d s, peak RSS %.1f MB\n", n, 100 * t / hz / s, s, rss / 1024 }'
    stop_app
}
