# Pieces the desktop tests share; sourced by them, not run. The caller sets `out` (screenshots) and `name`.

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

# The program's status notifier item, as the tray's watcher lists it (the test runs no other).
item() {
    "${as[@]}" gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems \
        2>/dev/null | grep -o 'org\.kde\.StatusNotifierItem-[0-9]*-[0-9]*' | head -1
}
# Registered, and still there: a program that ended leaves its name in some watchers' lists.
registered() {
    local name
    name=$(item) && [ -n "$name" ] || return 1
    "${as[@]}" gdbus call --session --dest org.freedesktop.DBus --object-path / --method org.freedesktop.DBus.NameHasOwner \
        "$name" 2>/dev/null | grep -q true
}
menu_labels() {
    "${as[@]}" gdbus call --session --dest "$(item)" --object-path /MenuBar --method com.canonical.dbusmenu.GetLayout -- 0 -1 '@as []' |
        grep -o "'label': <'[^']*'>" | sed "s/'label': <'\(.*\)'>/\1/" | paste -sd '|'
}
activate() {
    "${as[@]}" gdbus call --session --dest "$(item)" --object-path /StatusNotifierItem \
        --method org.kde.StatusNotifierItem.Activate -- "$1" "$2" >/dev/null
}
expected_labels="Pokaż panel|Mini okno|Zaawansowane|Ustawienia…|Przywróć położenie okien|Odśwież|Zakończ Tarnwick"

# The icon's box on a screenshot: the chip it is drawn on, looked for inside the strip $2 (WxH+X+Y).
# Prints "W H X Y".
icon_box() {
    convert "$1" -crop "$2" -fuzz 0.5% -fill black -opaque '#1C1C1E' -fill black -opaque '#D70015' \
        -fill white +opaque black -negate -trim -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+'
}
# The lightest and darkest grey inside box $2 of image $1, as a difference out of 100.
contrast() {
    convert "$1" -crop "$2" -colorspace Gray -format '%[fx:int(100*(maxima-minima))]' info:
}
