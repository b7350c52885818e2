#!/usr/bin/env bash
# End-to-end test of what no unit test can show: the real inkwarden binary on
# an X server (Xvfb) with a private session bus, a stand-in notification server
# and a temporary home; a second launch, a signal and a faked clock. Prints
# "ok - ..." for each step that held; stops at the first that does not.
#
# usage: tests/e2e/run.sh [BUILD_DIR]      (default: build/e2e)
# The program is BUILD_DIR/bin/inkwarden unless E2E_PROGRAM names another (an
# installed tree's, as `make test` runs it). E2E_TIMEOUT (seconds, default 10)
# bounds every wait. The logs, and a screenshot (xwd) when a step fails, go
# to a new folder under ${E2E_ARTEFACTS:-/tmp/inkwarden-e2e}.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-$here/../../build/e2e}" && pwd) || exit 2
app_bin=${E2E_PROGRAM:-$build/bin/inkwarden}
faketime=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n1)
[[ -x $app_bin && -e $faketime ]] || { echo "e2e: build first (make e2e); libfaketime: scripts/install-deps" >&2; exit 2; }
mkdir -p "${E2E_ARTEFACTS:=/tmp/inkwarden-e2e}" && artefacts=$(mktemp -d "$E2E_ARTEFACTS/run-XXXXXX") &&
  work=$(mktemp -d /tmp/inkwarden-e2e-home.XXXXXX) || exit 2
home=$work/home config=$work/home/.config data=$work/home/.local/share runtime=$work/runtime
(umask 077 && mkdir -p "$config/Inkwarden" "$data" "$runtime")
settings=$config/Inkwarden/defaults.json notifications=$work/notifications.txt
# An instrumented program gets the sanitizer settings of the rest of the suite.
read -ra sanitizers <<<"$(env | grep -E '^(A|UB|L)SAN_OPTIONS=' | tr '\n' ' ')"

started=()
cleanup() { kill -TERM "${started[@]}" 2>/dev/null; wait; cp "$work"/*.log "$artefacts"/ 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
trap 'exit 130' INT TERM
# fail MESSAGE: says so, keeps a screenshot of the display and stops.
fail() { echo "not ok - $*"; xwd -display "$DISPLAY" -root -silent -out "$artefacts/failure.xwd" 2>/dev/null; exit 1; }
gone() { ! kill -0 "$1" 2>/dev/null; }
# wait_for WHAT COMMAND...: runs COMMAND every 0.1 s until it succeeds; fails after the timeout.
wait_for() {
  local deadline=$((SECONDS + ${timeout:-${E2E_TIMEOUT:-10}}))
  until "${@:2}"; do
    ((SECONDS < deadline)) || fail "timed out waiting for $1"
    sleep 0.1
  done
}
source "$here/../support/private_desktop.sh"
start_private_display 120 140 "$work/xvfb.log" && started+=("$private_display_pid") || exit 1
export DISPLAY=$private_display
# A window manager, so that full screen is the desktop's own _NET_WM_STATE.
openbox --sm-disable >"$work/openbox.log" 2>&1 & started+=("$!")
wait_for "the window manager" eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window'
start_private_bus "$runtime/bus" "$work" && started+=("$private_bus_pid") || exit 1
env -i PATH=/usr/bin:/bin DBUS_SESSION_BUS_ADDRESS="$private_bus_address" /usr/bin/python3 \
  "$here/notification_server.py" "$notifications" "$work/ready" >"$work/notifications.log" 2>&1 & started+=("$!")
wait_for "the notification server" test -e "$work/ready"

# In the background only: inkwarden in the private world, nothing from this shell's environment.
run_inkwarden() {
  exec env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$data" \
    XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="$private_bus_address" \
    DBUS_SYSTEM_BUS_ADDRESS="$private_bus_address" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb \
    TZ=UTC LANG=C.UTF-8 "${sanitizers[@]}" "$@" "$app_bin" >>"$work/inkwarden.log" 2>&1
}
# window_of TITLE: a visible window of the running inkwarden titled exactly TITLE.
window_of() { xdotool search --all --onlyvisible --pid "$app" --name "^$1\$" 2>/dev/null | head -n1; }
launch() { # launch SETTINGS [VAR=value...]
  printf '%s\n' "$1" >"$settings"
  run_inkwarden "${@:2}" & app=$!
  started+=("$app")
  wait_for "the writer window" eval '[[ -n $(window_of '.* — Inkwarden') ]]'
}

launch '{"trackingStartDay": "9999-12-31"}'
run_inkwarden & second=$!
wait_for "the second inkwarden to exit" gone "$second"
wait "$second" || fail "the second inkwarden exited with $?"
gone "$app" && fail "the first inkwarden ended"
echo "ok - a second inkwarden hands over to the running one and exits"

text="Evening notes before logout"
# New Document first: the program opens on the day's entry, which needs no keeping.
xdotool windowfocus --sync "$(window_of '.* — Inkwarden')" key ctrl+n type --delay 30 "$text"
# The sheet opens only once the keys typed before it have arrived.
xdotool key ctrl+shift+s
wait_for "the Save to Library sheet" eval '[[ -n $(window_of "Save to Library") ]]'
# What the session manager sends at logout when nobody can be asked.
kill -TERM "$app"
wait_for "inkwarden to end" gone "$app"
wait "$app" || fail "inkwarden exited with $? after SIGTERM"
grep -sqF "$text" "$data/Inkwarden/Documents/$text.rtf" ||
  fail "no library copy with the writing: $(find "$data" -type f)"
echo "ok - SIGTERM with a sheet open keeps untitled writing as a library copy named after it"

# Launched shortly before the daily time (09:30) on a faked clock.
day=2031-05-20
launch "{\"scheduleHour\": 9, \"scheduleMinute\": 30, \"trackingStartDay\": \"$day\"}" \
  LD_PRELOAD="$faketime" FAKETIME="@$day 09:29:54" FAKETIME_DONT_RESET=1
timeout=$((${E2E_TIMEOUT:-10} + 6)) wait_for "the session" grep -q '"sessionEnd"' "$settings"
# Fifteen minutes from the daily time, give or take the heartbeat.
end=$(grep -A1 '"sessionEnd"' "$settings" | grep -o '20[0-9T:.-]*')
[[ $end > "${day}T09:45:00" && $end < "${day}T09:45:03" ]] || fail "the session ends at $end"
wait_for "the reminder on the bus" grep -sqxF "Inkwarden"$'\t'"It’s time for your writing session." "$notifications"
echo "ok - on a faked clock the session starts at the daily time and its reminder reaches the bus"

# The session made the window full screen; ending it early gives the window
# back, and F11 is the person's own switch.
full_screen() { xprop -id "$(window_of '.* — Inkwarden')" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
not_full_screen() { ! full_screen; }
wait_for "the session's full screen" full_screen
xdotool windowfocus --sync "$(window_of '.* — Inkwarden')" key ctrl+shift+Return
wait_for "the window back from full screen" not_full_screen
grep -q '"sessionEnd"' "$settings" && fail "the session did not end"
xdotool key F11
wait_for "full screen by F11" full_screen
xdotool key F11
wait_for "F11 to leave full screen" not_full_screen
echo "ok - ending a session early gives the window back from full screen, and F11 switches it"
