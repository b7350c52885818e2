#!/usr/bin/env bash
# End-to-end tests: the real inkwarden binary under Xvfb, with a private
# session bus, a temporary home and a stand-in notification server, driven
# with xdotool as a person would. Prints "ok N - ..." / "not ok N - ..." per
# step and a summary line; exits non-zero when any step fails.
#
# usage: tests/e2e/run.sh [BUILD_DIR]      (default: build/e2e)
#
# The program is BUILD_DIR/bin/inkwarden unless E2E_PROGRAM names another (an
# installed tree's, as `make test` runs it); rtf-tool comes from BUILD_DIR.
#
# Screenshots of every step and the program's output go to a fresh folder
# under ${E2E_ARTEFACTS:-/tmp/inkwarden-e2e}. E2E_TIMEOUT (seconds, default 10)
# bounds every wait.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build/e2e}" && pwd) || exit 2
app_bin=${E2E_PROGRAM:-$build/bin/inkwarden}
rtf_tool=$build/tools/rtf-tool/rtf-tool
python=/usr/bin/python3
timeout_seconds=${E2E_TIMEOUT:-10}
faketime_lib=
for candidate in /usr/lib/*/faketime/libfaketimeMT.so.1 /usr/lib/faketime/libfaketimeMT.so.1; do
  [[ -e "$candidate" ]] && { faketime_lib=$candidate; break; }
done

for tool in "$app_bin" "$rtf_tool"; do
  [[ -x "$tool" ]] || { echo "e2e: $tool is missing; build first (make e2e)" >&2; exit 2; }
done
for command in Xvfb xdotool dbus-daemon "$python"; do
  command -v "$command" >/dev/null || { echo "e2e: $command is missing (scripts/install-deps)" >&2; exit 2; }
done
"$python" -c 'import dbus, gi' 2>/dev/null ||
  { echo "e2e: $python lacks the dbus or gi module (scripts/install-deps)" >&2; exit 2; }

artefacts_root=${E2E_ARTEFACTS:-/tmp/inkwarden-e2e}
mkdir -p "$artefacts_root" || exit 2
artefacts_root=$(cd "$artefacts_root" && pwd)
case "$artefacts_root/" in
  "$root"/*) echo "e2e: E2E_ARTEFACTS must lie outside the repository" >&2; exit 2 ;;
esac
artefacts=$(mktemp -d "$artefacts_root/run-$(date +%Y%m%d-%H%M%S)-XXXX")

# --- the private world ------------------------------------------------------

work=$(mktemp -d /tmp/inkwarden-e2e-home.XXXXXX)
chmod 0700 "$work"
home=$work/home
config=$home/.config
data=$home/.local/share
runtime=$work/runtime
mkdir -p "$home" "$config" "$data" "$home/.cache" "$runtime"
chmod 0700 "$home" "$config" "$data" "$home/.cache" "$runtime"
settings=$config/Inkwarden/defaults.json
documents=$data/Inkwarden/Documents
notifications=$work/notifications.jsonl
# The sanitizers' settings belong to the test run, not to the private world:
# an instrumented program gets the same ones as the rest of the suite.
sanitizer_settings=()
for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
  [[ -n "${!name:-}" ]] && sanitizer_settings+=("$name=${!name}")
done

started=()    # every process this script started, stopped on exit
app_pid=
app_status=

cleanup() {
  local pid
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    pid=${started[i]}
    kill -0 "$pid" 2>/dev/null || continue
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  cp "$work"/*.log "$artefacts"/ 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# wait_for DESCRIPTION COMMAND...: runs COMMAND every 0.1 s until it succeeds
# or the deadline passes; then says what it was waiting for and fails.
wait_for() {
  local description=$1; shift
  local deadline=$((SECONDS + timeout_seconds))
  until "$@"; do
    if ((SECONDS >= deadline)); then
      echo "# timed out after ${timeout_seconds} s waiting for: $description"
      return 1
    fi
    sleep 0.1
  done
}

# A screenshot of the whole display, when a capture tool is installed.
screenshot_tool=
command -v import >/dev/null && screenshot_tool=import
[[ -z "$screenshot_tool" ]] && command -v xwd >/dev/null && screenshot_tool=xwd
shot_number=0
shot() {
  shot_number=$((shot_number + 1))
  local name
  name=$(printf '%s/%02d-%s' "$artefacts" "$shot_number" "$1")
  case "$screenshot_tool" in
    import) import -display "$DISPLAY" -window root "$name.png" 2>/dev/null ;;
    xwd) xwd -display "$DISPLAY" -root -silent -out "$name.xwd" 2>/dev/null ;;
  esac
  return 0
}

# --- the display and the bus ------------------------------------------------

source "$root/tests/support/private_desktop.sh"

start_display() {
  start_private_display 120 140 "$work/xvfb.log" || return 1
  started+=("$private_display_pid")
  export DISPLAY=$private_display
}

start_bus() {
  start_private_bus "$runtime/bus" "$work" || return 1
  started+=("$private_bus_pid")
  bus_address=$private_bus_address
}

start_notification_server() {
  rm -f "$work/notifications-ready"
  : >"$notifications"
  env -i PATH=/usr/bin:/bin HOME="$home" DBUS_SESSION_BUS_ADDRESS="$bus_address" \
    "$python" "$here/notification_server.py" "$notifications" "$work/notifications-ready" \
    >"$work/notification-server.log" 2>&1 &
  started+=("$!")
  wait_for "the notification server to own its name" test -e "$work/notifications-ready"
}

start_display || exit 1
start_bus || exit 1
start_notification_server || exit 1
echo "# display $DISPLAY, artefacts in $artefacts"
[[ -n "$screenshot_tool" ]] || echo "# no screenshots: neither import (ImageMagick) nor xwd is installed"

# --- the program ------------------------------------------------------------

# write_settings JSON: the settings file the next launch reads.
write_settings() {
  mkdir -p "$config/Inkwarden"
  chmod 0700 "$config/Inkwarden"
  printf '%s\n' "$1" >"$settings"
}

# launch [VAR=value...]: starts inkwarden in the private world (nothing from
# this shell's environment reaches it) and waits for its writer window.
launch() {
  if [[ -n "$app_pid" ]] && kill -0 "$app_pid" 2>/dev/null; then
    echo "# the previous inkwarden ($app_pid) is still running; stopping it"
    stop_app
  fi
  env -i PATH=/usr/bin:/bin HOME="$home" USER="${USER:-e2e}" \
    XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$data" XDG_CACHE_HOME="$home/.cache" \
    XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="$bus_address" \
    DBUS_SYSTEM_BUS_ADDRESS="$bus_address" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb \
    TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8 "${sanitizer_settings[@]}" "$@" \
    "$app_bin" >>"$work/inkwarden.log" 2>&1 &
  app_pid=$!
  app_status=
  started+=("$app_pid")
  wait_for "the window titled \"Inkwarden\"" find_writer || return 1
  focus_writer
}

# Ids of the program's visible windows titled exactly TITLE. The title is the
# one shown to the user (_NET_WM_NAME): Qt leaves WM_NAME empty on a message
# box without a title of its own, which xdotool search --name would miss.
windows_titled() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$app_pid" --name '' 2>/dev/null); do
    [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == "$1" ]] && echo "$id"
  done
}

find_writer() {
  writer=$(windows_titled Inkwarden | head -n1)
  [[ -n "$writer" ]]
}

focused_window_is() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$1" ]]; }

# Without a window manager nobody hands the keyboard back to the writer when
# a dialog closes; this does what one would.
focus_writer() {
  focused_window_is "$writer" || timeout 5 xdotool windowfocus --sync "$writer" 2>/dev/null
  wait_for "the writer window to have the keyboard focus" focused_window_is "$writer"
}

# A window named exactly NAME other than the writer; sets $dialog.
find_dialog() {
  dialog=$(windows_titled "$1" | grep -vx "$writer" | head -n1)
  [[ -n "$dialog" ]]
}
no_dialog_named() { ! find_dialog "$1"; }

# What the display looks like, for a failure message.
describe_windows() {
  local id
  echo "# keyboard focus: $(xdotool getwindowfocus 2>/dev/null) (writer: ${writer:-none})"
  for id in $(xdotool search --all --onlyvisible --pid "$app_pid" --name '' 2>/dev/null); do
    echo "# visible window $id: \"$(xdotool getwindowname "$id" 2>/dev/null)\""
  done
}

# wait_dialog NAME: waits for it and gives it the keyboard focus.
wait_dialog() {
  wait_for "a window titled \"$1\"" find_dialog "$1" || { describe_windows; return 1; }
  focused_window_is "$dialog" || timeout 5 xdotool windowfocus --sync "$dialog" 2>/dev/null
  wait_for "the \"$1\" window to have the keyboard focus" focused_window_is "$dialog"
}

# Keys a few at a time, at a person's pace: each press reaches the program in
# its own turn of the event loop, so a formatting command bound to one key is
# applied before the next key moves the selection.
press() { xdotool key --clearmodifiers --delay 120 "$@"; }
type_text() { xdotool type --clearmodifiers --delay 30 "$1"; }

app_ended() {
  kill -0 "$app_pid" 2>/dev/null && return 1
  if [[ -z "$app_status" ]]; then
    wait "$app_pid" 2>/dev/null
    app_status=$?
  fi
  return 0
}
app_running() { kill -0 "$app_pid" 2>/dev/null; }

stop_app() {
  [[ -n "$app_pid" ]] || return 0
  kill -TERM "$app_pid" 2>/dev/null
  timeout_seconds=5 wait_for "inkwarden to stop" app_ended || kill -KILL "$app_pid" 2>/dev/null
  wait "$app_pid" 2>/dev/null
}

# --- checks -----------------------------------------------------------------

settings_has() { "$python" - "$settings" "$1" <<'EOF'
import json, sys
try:
    values = json.load(open(sys.argv[1], encoding="utf-8"))
except (OSError, ValueError):
    sys.exit(1)
sys.exit(0 if sys.argv[2] in values else 1)
EOF
}
settings_lacks() { ! settings_has "$1"; }

settings_value() { "$python" - "$settings" "$1" <<'EOF'
import json, sys
value = json.load(open(sys.argv[1], encoding="utf-8")).get(sys.argv[2])
if isinstance(value, dict):
    value = next(iter(value.values()), None)
print("" if value is None else value)
EOF
}

decoded_text_is() { # decoded_text_is FILE TEXT
  [[ -f "$1" ]] || return 1
  "$rtf_tool" decode "$1" 2>/dev/null | "$python" -c '
import json, sys
sys.exit(0 if json.load(sys.stdin)["text"] == sys.argv[1] else 1)' "$2"
}

notified() { # notified BODY: the stand-in server received a reminder with it
  "$python" - "$notifications" "$1" <<'EOF'
import json, sys
for line in open(sys.argv[1], encoding="utf-8"):
    entry = json.loads(line)
    if entry["body"] == sys.argv[2] and entry["summary"] == "Inkwarden":
        sys.exit(0)
sys.exit(1)
EOF
}

files_under_data() { (cd "$data" && find . -type f | LC_ALL=C sort); }

# --- reporting --------------------------------------------------------------

passed=0
failed=0
test_number=0
# Steps run in this shell (not a subshell) so that what they learn (window
# ids, the process) carries over; their messages are collected instead.
step() {
  test_number=$((test_number + 1))
  local log=$work/step-$test_number.out
  if "$2" >"$log" 2>&1; then
    passed=$((passed + 1))
    echo "ok $test_number - $1"
  else
    failed=$((failed + 1))
    echo "not ok $test_number - $1"
    sed 's/^/#   /' "$log"
  fi
  cp "$log" "$artefacts/" 2>/dev/null
}

today=$(TZ=UTC date +%F)
tomorrow=$(TZ=UTC date -d tomorrow +%F)
paragraph="The kettle sang while the first pages filled with quiet words"
copy_name="Kettle Morning"
copy_file=$documents/$copy_name.rtf

# --- 1: the window ----------------------------------------------------------

# The daily time lies in the future of the tracked days, so nothing starts by itself.
quiet_settings="{\"scheduleHour\": 3, \"scheduleMinute\": 0, \"lastScheduledDay\": \"$today\",
 \"trackingStartDay\": \"$tomorrow\", \"lastFollowupDay\": \"$today\"}"

window_appears() {
  write_settings "$quiet_settings"
  launch || return 1
  shot window
  settings_lacks sessionEnd || { echo "# a session started by itself"; return 1; }
}

# --- 2-4: typing, formatting, saving a named copy ---------------------------

write_and_save_copy() {
  app_running || { echo "# inkwarden is not running"; return 1; }
  type_text "$paragraph"
  # "quiet" highlighted: from the end, back over "words" and its space.
  press End ctrl+Left Left shift+ctrl+Left ctrl+shift+h
  # "words" bold.
  press End shift+ctrl+Left ctrl+b
  shot formatted
  press ctrl+shift+s
  wait_dialog "Save to Library" || return 1
  shot save-sheet
  press ctrl+a
  type_text "$copy_name"
  press Return
  wait_for "$copy_file" test -s "$copy_file" || return 1
  wait_for "the save sheet to close" no_dialog_named "Save to Library" || return 1
  focus_writer || return 1
  shot saved
  "$rtf_tool" decode "$copy_file" >"$artefacts/copy.json"
}

check_runs() { # check_runs WHAT: compares the decoded copy with the expectation
  "$python" - "$artefacts/copy.json" "$paragraph" "$1" <<'EOF'
import json, sys
document = json.load(open(sys.argv[1], encoding="utf-8"))
paragraph, what = sys.argv[2], sys.argv[3]
text = document["text"]
if what == "text":
    if text != paragraph:
        print(f"# text on disk: {text!r}\n# expected:     {paragraph!r}")
        sys.exit(1)
    sys.exit(0)

def span(word):
    start = paragraph.rindex(word)
    return set(range(start, start + len(word)))

def covered(condition):
    units = set()
    for run in document["runs"]:
        if condition(run):
            units.update(range(run["start"], run["start"] + run["length"]))
    return units

if what == "bold":
    runs = [r for r in document["runs"] if r["bold"]]
    expected, actual = span("words"), covered(lambda r: r["bold"])
else:
    runs = [r for r in document["runs"] if r["background"] is not None]
    expected = span("quiet")
    actual = covered(lambda r: r["background"] == "#FFCC47")
    others = covered(lambda r: r["background"] not in (None, "#FFCC47"))
    if others:
        print(f"# other backgrounds at {sorted(others)}")
        sys.exit(1)
if len(runs) != 1 or actual != expected:
    print(f"# {what} runs: {runs}")
    print(f"# {what} covers {sorted(actual)}, expected {sorted(expected)}")
    sys.exit(1)
EOF
}
copy_text_is_paragraph() { [[ -f "$artefacts/copy.json" ]] && check_runs text; }
copy_bold_run() { [[ -f "$artefacts/copy.json" ]] && check_runs bold; }
copy_highlight_run() { [[ -f "$artefacts/copy.json" ]] && check_runs highlight; }

# --- 5: New Document, then the copy again through Browse Files -------------

reopen_copy() {
  app_running || { echo "# inkwarden is not running"; return 1; }
  press ctrl+n
  press ctrl+o
  wait_dialog "Your writing" || return 1
  shot browse-files
  # The list has the keyboard with its first row current but not selected:
  # Return means that row and presses Open.
  press Return
  wait_for "Browse Files to close" no_dialog_named "Your writing" || return 1
  focus_writer || return 1
  # A library document is written at every change: what is typed now must
  # land at the end of the copy's file.
  press ctrl+End
  type_text " again"
  wait_for "\"$paragraph again\" in $copy_file" decoded_text_is "$copy_file" "$paragraph again" ||
    { "$rtf_tool" decode "$copy_file" | sed 's/^/# on disk: /'; return 1; }
  shot reopened
}

# --- 6-7: quitting with unsaved untitled writing ----------------------------

ask_before_losing_writing() {
  app_running || { echo "# inkwarden is not running"; return 1; }
  press ctrl+n
  type_text "A thought nobody keeps"
  files_under_data >"$work/files-before"
  press ctrl+q
  wait_dialog Inkwarden || return 1
  shot save-question
  # Escape is Cancel: the program stays, with its writing.
  press Escape
  wait_for "the question to close after Cancel" no_dialog_named Inkwarden || return 1
  app_running || { echo "# Cancel ended the program"; return 1; }
  focus_writer || return 1
  press ctrl+q
  wait_dialog Inkwarden
}

# The program ended, or a question other than the one just answered is open.
ended_or_asked_again() { app_ended || { find_dialog Inkwarden && [[ "$dialog" != "$1" ]]; }; }

dont_save_ends_cleanly() {
  [[ -n "${dialog:-}" ]] && app_running || { echo "# no save question open"; return 1; }
  local answered=$dialog verdict=0
  # From the name field: Save, then Don't Save.
  press Tab Tab space
  wait_for "inkwarden to end after Don't Save" ended_or_asked_again "$answered" || return 1
  if ! app_ended; then
    echo "# the save question came back after Don't Save (it was asked twice)"
    shot save-question-again
    verdict=1
    wait_dialog Inkwarden || return 1
    press Tab Tab space
    wait_for "inkwarden to end after the second Don't Save" app_ended || return 1
  fi
  [[ "$app_status" == 0 ]] || { echo "# exit status $app_status"; return 1; }
  files_under_data >"$work/files-after"
  diff -u "$work/files-before" "$work/files-after" | sed 's/^/# /'
  cmp -s "$work/files-before" "$work/files-after" || { echo "# files changed"; return 1; }
  decoded_text_is "$copy_file" "$paragraph again" || { echo "# the copy changed"; return 1; }
  return "$verdict"
}

# --- 8-9: a session from the Write menu -------------------------------------

session_from_write_menu() {
  write_settings "$quiet_settings"
  launch || return 1
  settings_lacks sessionEnd || { echo "# a session was running before the menu"; return 1; }
  press alt+w
  shot write-menu
  press Return
  wait_for "\"sessionEnd\" in the settings" settings_has sessionEnd || return 1
  shot countdown
}

end_and_quit() {
  app_running || { echo "# inkwarden is not running"; return 1; }
  press ctrl+q
  wait_dialog Inkwarden || return 1
  shot session-question
  # Escape is "Keep Writing".
  press Escape
  wait_for "the question to close after Keep Writing" no_dialog_named Inkwarden || return 1
  app_running || { echo "# Keep Writing ended the program"; return 1; }
  settings_has sessionEnd || { echo "# Keep Writing ended the session"; return 1; }
  focus_writer || return 1
  press ctrl+q
  wait_dialog Inkwarden || return 1
  press Tab space   # "End and Quit"
  wait_for "inkwarden to end after End and Quit" app_ended || return 1
  [[ "$app_status" == 0 ]] || { echo "# exit status $app_status"; return 1; }
  settings_lacks sessionEnd || { echo "# \"sessionEnd\" is still in the settings"; return 1; }
}

# --- 10-12: the daily time, on a faked clock --------------------------------

fake_day=2031-05-20
fake_settings="{\"scheduleHour\": 9, \"scheduleMinute\": 30, \"trackingStartDay\": \"$fake_day\"}"

launch_faked() { # launch_faked HH:MM:SS
  [[ -n "$faketime_lib" ]] || { echo "# libfaketime is not installed (scripts/install-deps)"; return 1; }
  launch LD_PRELOAD="$faketime_lib" FAKETIME="@$fake_day $1" FAKETIME_DONT_RESET=1
}

# Started a few seconds before the early reminder (09:20): it arrives, and no
# session starts. Waits here allow for the lead as well as the usual deadline.
soon_reminder() {
  write_settings "$fake_settings"
  : >"$notifications"
  launch_faked 09:19:54 || return 1
  notified "Writing starts in 10 minutes." && { echo "# the reminder came at launch"; return 1; }
  timeout_seconds=$((timeout_seconds + 6)) wait_for "the ten-minute reminder" notified "Writing starts in 10 minutes." || return 1
  shot soon-reminder
  settings_lacks sessionEnd || { echo "# a session started ten minutes early"; return 1; }
  press ctrl+q
  wait_for "inkwarden to end" app_ended || return 1
  [[ "$app_status" == 0 ]] || { echo "# exit status $app_status"; return 1; }
}

session_starts_at_daily_time() {
  write_settings "$fake_settings"
  : >"$notifications"
  launch_faked 09:29:54 || return 1
  settings_lacks sessionEnd || { echo "# the session started before the daily time"; return 1; }
  timeout_seconds=$((timeout_seconds + 6)) wait_for "\"sessionEnd\" in the settings" \
    settings_has sessionEnd || return 1
  shot scheduled-session
  local day end
  day=$(settings_value lastScheduledDay)
  [[ "$day" == "$fake_day" ]] || { echo "# lastScheduledDay is \"$day\""; return 1; }
  # Fifteen minutes from the daily time, give or take the heartbeat.
  end=$(settings_value sessionEnd)
  [[ "$end" > "${fake_day}T09:45:00" && "$end" < "${fake_day}T09:45:03" ]] ||
    { echo "# sessionEnd is \"$end\""; return 1; }
}

start_reminder() {
  app_running || { echo "# inkwarden is not running"; return 1; }
  wait_for "the reminder at the daily time" notified "It’s time for your writing session." ||
    { sed 's/^/# received: /' "$notifications"; return 1; }
  notified "Writing starts in 10 minutes." && { echo "# the early reminder came late"; return 1; }
  press ctrl+q
  wait_dialog Inkwarden || return 1
  press Tab space
  wait_for "inkwarden to end" app_ended || return 1
  settings_lacks sessionEnd || { echo "# \"sessionEnd\" is still in the settings"; return 1; }
}

# --- 14-15: one instance, and a polite end from the desktop session ----------

second_launch_hands_over() {
  write_settings "$quiet_settings"
  launch || return 1
  local first=$app_pid second status
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$data" \
    XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="$bus_address" \
    DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "${sanitizer_settings[@]}" \
    "$app_bin" >>"$work/inkwarden-second.log" 2>&1 &
  second=$!
  started+=("$second")
  timeout_seconds=5 wait_for "the second inkwarden to exit" \
    eval '! kill -0 '"$second"' 2>/dev/null' || return 1
  wait "$second"
  status=$?
  [[ "$status" == 0 ]] || { echo "# the second inkwarden exited with $status"; return 1; }
  app_running || { echo "# the first inkwarden ended"; return 1; }
  [[ "$app_pid" == "$first" ]] || return 1
  local windows
  windows=$(xdotool search --all --onlyvisible --name '^Inkwarden$' 2>/dev/null | wc -l)
  [[ "$windows" == 1 ]] || { echo "# $windows windows titled Inkwarden"; return 1; }
}

# SIGTERM is what the session manager sends at logout when nobody can answer a
# question: untitled writing becomes a library copy named after its first line.
sigterm_keeps_untitled_writing() {
  app_running || { echo "# inkwarden is not running"; return 1; }
  focus_writer || return 1
  press ctrl+n
  type_text "Evening notes before logout"
  kill -TERM "$app_pid"
  wait_for "inkwarden to end after SIGTERM" app_ended || return 1
  [[ "$app_status" == 0 ]] || { echo "# exit status $app_status"; return 1; }
  local kept=$documents/"Evening notes before logout.rtf"
  decoded_text_is "$kept" "Evening notes before logout" ||
    { echo "# no library copy with the writing"; files_under_data | sed 's/^/# /'; return 1; }
}

# --- the run ----------------------------------------------------------------

step "the writer window titled \"Inkwarden\" appears and takes the keyboard" window_appears
step "Save a Copy writes the named copy with the typed paragraph" write_and_save_copy
step "the copy's text is the paragraph" copy_text_is_paragraph
step "the copy has one bold run, over the bold word" copy_bold_run
step "the copy has one highlight run (#FFCC47), over the highlighted word" copy_highlight_run
step "New Document, then Browse Files reopens the copy (edits reach its file)" reopen_copy
step "Quit with unsaved untitled writing asks to save; Cancel keeps the program" ask_before_losing_writing
step "Don't Save ends the program with status 0 and writes no file" dont_save_ends_cleanly
step "Start Focus Session from the Write menu starts the countdown" session_from_write_menu
step "Quit in a session asks; Keep Writing stays, End and Quit ends it" end_and_quit
step "on a faked clock, the ten-minute reminder reaches the notification server" soon_reminder
step "on a faked clock, the session starts by itself at the daily time" session_starts_at_daily_time
step "the reminder at the daily time reaches the notification server" start_reminder
step "a second inkwarden hands over to the running one and exits at once" second_launch_hands_over
step "SIGTERM keeps unsaved untitled writing as a library copy" sigterm_keeps_untitled_writing
stop_app

echo "$passed passed, $failed failed"
((failed == 0))
