#!/usr/bin/env bash
# Inkwarden as a native Wayland client: the real program on a headless weston,
# with a private session bus and a temporary home, its protocol traffic logged
# (WAYLAND_DEBUG=1). The log must show the writer window as an xdg_toplevel
# titled "... Inkwarden" that draws, and a session asking for full screen and
# the compositor granting it. Prints "ok - ..." for each step that held; stops
# at the first that does not. Run by CTest; exits 77 (skipped) without weston.
#
# usage: tests/e2e/wayland.sh BUILD_DIR       (the program: BUILD_DIR/bin/inkwarden)
# E2E_TIMEOUT (seconds, default 30) bounds every wait.
set -uo pipefail

command -v weston >/dev/null || { echo "weston is not installed (scripts/install-deps): skipped"; exit 77; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
app_bin=$(cd "$1" && pwd)/bin/inkwarden
faketime=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n1)
[[ -x $app_bin && -e $faketime ]] || { echo "build first; libfaketime: scripts/install-deps" >&2; exit 2; }
work=$(mktemp -d /tmp/inkwarden-wayland.XXXXXX) || exit 2
home=$work/home config=$work/home/.config data=$work/home/.local/share runtime=$work/runtime
settings=$config/Inkwarden/defaults.json protocol=$work/protocol.log output=1280x1024 title= writer=
(umask 077 && mkdir -p "$config/Inkwarden" "$data" "$runtime") && : >"$protocol"
read -ra sanitizers <<<"$(env | grep -E '^(A|UB|L)SAN_OPTIONS=' | tr '\n' ' ')"

started=()
# The program first, then the compositor it is a client of, then the bus.
cleanup() {
  for ((each = ${#started[@]} - 1; each >= 0; each--)); do
    kill -TERM "${started[each]}" 2>/dev/null && wait "${started[each]}"
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# fail MESSAGE: says so with the program's own messages, and stops.
fail() {
  echo "not ok - $*"
  grep -v '^\[' "$protocol" | tail -n 20 | sed 's/^/# inkwarden: /'
  tail -n 5 "$work/weston.log" | sed 's/^/# weston: /'
  exit 1
}
wait_for() { # wait_for WHAT COMMAND...: every 0.2 s until COMMAND succeeds
  local deadline=$((SECONDS + ${E2E_TIMEOUT:-30}))
  until "${@:2}"; do
    ((SECONDS < deadline)) || fail "timed out waiting for $1"
    kill -0 "${started[-1]}" 2>/dev/null || fail "$1: the last program started has ended"
    sleep 0.2
  done
}
# The writer window in the protocol log: the toplevel whose title ends in
# "Inkwarden" (sets title and writer, "xdg_toplevel@N"), and the surface it shows.
find_writer() {
  local xdg surface
  title=$(grep -o 'xdg_toplevel@[0-9]*\.set_title("[^"]*Inkwarden")' "$protocol" | tail -n1)
  writer=${title%%.*}
  xdg=$(grep -o "xdg_surface@[0-9]*\.get_toplevel(new id $writer)" "$protocol" | tail -n1)
  surface=$(grep -o "new id ${xdg%%.*}, wl_surface@[0-9]*" "$protocol" | tail -n1)
  [[ -n $title && -n $surface ]] && grep -q " -> ${surface##* }\.attach(wl_buffer@" "$protocol"
}
# After the request, the compositor's answer: the whole output.
full_screen() {
  [[ -n $(sed -n "/ -> $writer\.set_fullscreen(/,\${/$writer\.configure(${output/x/, },/p}" "$protocol") ]]
}

source "$here/../support/private_desktop.sh"
start_private_bus "$runtime/bus" "$work" && started+=("$private_bus_pid") || exit 1
# No configuration of the machine's or the user's: the headless output and
# the default desktop shell, which honours set_fullscreen.
env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$runtime" \
  weston --no-config --backend=headless-backend.so --width="${output%x*}" --height="${output#*x}" \
  --socket=wayland-inkwarden --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
started+=("$!")
wait_for "weston" test -S "$runtime/wayland-inkwarden"

# Launched shortly before the daily time (09:30) on a faked clock: the window
# shows as it is, then the session takes it full screen.
day=2031-05-20
printf '{"scheduleHour": 9, "scheduleMinute": 30, "trackingStartDay": "%s"}\n' "$day" >"$settings"
env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$data" \
  XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="$private_bus_address" \
  DBUS_SYSTEM_BUS_ADDRESS="$private_bus_address" WAYLAND_DISPLAY=wayland-inkwarden \
  QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 TZ=UTC LANG=C.UTF-8 "${sanitizers[@]}" \
  LD_PRELOAD="$faketime" FAKETIME="@$day 09:29:57" FAKETIME_DONT_RESET=1 \
  "$app_bin" >>"$protocol" 2>&1 &
started+=("$!")

wait_for "the writer window to draw" find_writer
echo "ok - on Wayland the writer window is $writer, ${title#*.}, and draws"
wait_for "the session's full screen" full_screen
grep -q '"sessionEnd"' "$settings" || fail "full screen without a session"
echo "ok - a session asks for full screen (xdg_toplevel.set_fullscreen) and weston grants it"
