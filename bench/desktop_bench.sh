#!/usr/bin/env bash
# Inkwarden beside FocusWriter, a peer distraction-free writer, on the same
# machine in the same run: start-up (launch to the first window mapped) and
# resident memory with the same RTF document open.
#
# usage: bench/desktop_bench.sh [BUILD_DIR]      (default: build/release)
#
# Each figure is taken twice: on a first run (an empty home) and for a
# returning user (a copy of a home in which the program has run once), since
# FocusWriter builds its theme previews on its first run only. Every run gets
# a home and XDG folders of its own, the benchmark's own Xvfb display
# (:150..:170) and a private session bus.
#
# BENCH_RUNS (default 10) start-ups and BENCH_MEMORY_RUNS (default 3) memory
# runs per program and kind of run; BENCH_WORDS (default 50000) words in the
# document. With BENCH_RESULTS set, the figures are also appended to that
# file as key=value lines.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
timeout_seconds=30

# --- the hook window_probe runs for Inkwarden's memory figure ---------------

# Opens the only library document as a person would: Browse Files (Ctrl+O),
# Space selects the first row, Return presses Open; the sheet closes only
# once the document is open. Without a window manager nobody gives a window
# the keyboard, so this does.
if [[ "${1:-}" == "--open-from-library" ]]; then
  sheet() {
    xdotool search --all --onlyvisible --pid "$PROBE_PID" --name '^Your writing$' 2>/dev/null |
      head -n1
  }
  timeout 5 xdotool windowfocus --sync "$PROBE_WINDOW" || exit 1
  xdotool key ctrl+o
  for _ in $(seq 100); do id=$(sheet); [[ -n "$id" ]] && break; sleep 0.1; done
  [[ -n "${id:-}" ]] || { echo "desktop_bench: Browse Files did not open" >&2; exit 1; }
  timeout 5 xdotool windowfocus --sync "$id" || exit 1
  xdotool key --delay 120 space Return
  for _ in $(seq 100); do [[ -z "$(sheet)" ]] && exit 0; sleep 0.1; done
  echo "desktop_bench: the document did not open" >&2
  exit 1
fi

root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd) || exit 2
inkwarden=$build/bin/inkwarden
probe=$build/bench/window_probe
sample=$build/bench/sample_document
focuswriter=$(command -v focuswriter)
runs=${BENCH_RUNS:-10}
memory_runs=${BENCH_MEMORY_RUNS:-3}
words=${BENCH_WORDS:-50000}

for tool in "$inkwarden" "$probe" "$sample" "$build/bench/bare_window"; do
  [[ -x "$tool" ]] ||
    { echo "desktop_bench: $tool is missing; build first (make bench)" >&2; exit 2; }
done
for command in focuswriter Xvfb xdotool dbus-daemon; do
  command -v "$command" >/dev/null ||
    { echo "desktop_bench: $command is missing (scripts/install-deps --bench)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/inkwarden-bench.XXXXXX)
chmod 0700 "$work"
started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do
    kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the display and the bus ------------------------------------------------

source "$root/tests/support/private_desktop.sh"

start_display() {
  start_private_display 150 170 "$work/xvfb.log" || return 1
  started+=("$private_display_pid")
  display=$private_display
}

start_bus() {
  start_private_bus "$work/bus" "$work" || return 1
  started+=("$private_bus_pid")
  bus_address=$private_bus_address
}

# --- one measured launch ----------------------------------------------------

# new_world [TEMPLATE]: a home with its own XDG folders, empty or a copy of
# TEMPLATE's (never its runtime folder); sets $world.
new_world() {
  local folder
  world=$(mktemp -d "$work/world.XXXXXX")
  for folder in home config data cache runtime; do
    mkdir -p "$world/$folder"
    [[ -n "${1:-}" && "$folder" != runtime ]] && cp -a "$1/$folder/." "$world/$folder/"
  done
  chmod -R go-rwx "$world"
}

# Inkwarden's settings keep a writing session from starting by itself: the
# daily time lies in the future of the tracked days.
quiet_inkwarden() {
  local today tomorrow
  today=$(TZ=UTC date +%F)
  tomorrow=$(TZ=UTC date -d tomorrow +%F)
  mkdir -p "$world/config/Inkwarden"
  chmod 0700 "$world/config/Inkwarden"
  printf '{"scheduleHour": 3, "scheduleMinute": 0, "lastScheduledDay": "%s",
 "trackingStartDay": "%s", "lastFollowupDay": "%s"}\n' "$today" "$tomorrow" "$today" \
    >"$world/config/Inkwarden/defaults.json"
}

# probe [PROBE OPTIONS] -- PROGRAM...: window_probe in $world, with nothing
# from this shell's environment but the display and the bus.
probe() {
  env -i PATH=/usr/bin:/bin HOME="$world/home" USER="${USER:-bench}" \
    XDG_CONFIG_HOME="$world/config" XDG_DATA_HOME="$world/data" XDG_CACHE_HOME="$world/cache" \
    XDG_RUNTIME_DIR="$world/runtime" DBUS_SESSION_BUS_ADDRESS="$bus_address" \
    DISPLAY="$display" QT_QPA_PLATFORM=xcb TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    "$probe" --timeout "$timeout_seconds" "$@" 2>>"$work/probe.log"
}

# value KEY: the value of KEY= in the probe's last output.
value() { sed -n "s/^$1=//p" <<<"$output" | head -n1; }

median() {
  LC_ALL=C sort -g | awk '{ v[NR] = $1 }
    END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

failed=0
fail() { echo "desktop_bench: $*" >&2; failed=1; }

# prepare PROGRAM KIND: a world for one run. A first run starts from an empty
# home (Inkwarden's holding only its quiet settings); a returning user's is a
# copy of the home PROGRAM has run in once.
prepare() {
  if [[ "$2" == returning ]]; then
    new_world "$work/template-$1"
  else
    new_world
    [[ "$1" == inkwarden ]] && quiet_inkwarden
  fi
}

# The run that makes a returning user's home: until the program goes idle,
# so FocusWriter has built and kept its theme previews.
make_template() {
  prepare "$1" first
  output=$(probe --idle 1000 -- "${programs[$1]}") || fail "$1 did not start"
  mv "$world" "$work/template-$1"
}

# A bare Qt window is the start-up floor: Inkwarden, with its record, index
# and dictionary, must stay within 1.3 times it.
declare -A programs=([inkwarden]="$inkwarden" [focuswriter]="$focuswriter"
  [bare]="$build/bench/bare_window")

# start_up PROGRAM KIND FILE: one start-up; appends the milliseconds to FILE.
# Inkwarden's first window must be the writer.
start_up() {
  prepare "$1" "$2"
  output=$(probe -- "${programs[$1]}") || { fail "$1 mapped no window"; rm -rf "$world"; return 1; }
  rm -rf "$world"
  if [[ "$1" == inkwarden && "$(value title)" != *" — Inkwarden" ]]; then
    fail "inkwarden's first window is \"$(value title)\", not the writer"
    return 1
  fi
  value mapped_ms >>"$3"
}

# memory PROGRAM KIND FILE: appends "VmRSS Pss Private_Dirty" in kB, read
# two seconds after the document is shown and the program has been idle for
# a second. The document goes into Inkwarden's library and is opened from
# there as a person would; FocusWriter gets a copy on its command line.
memory() {
  prepare "$1" "$2"
  local options=() arguments=()
  if [[ "$1" == inkwarden ]]; then
    mkdir -p "$world/data/Inkwarden/Documents"
    chmod 0700 "$world/data/Inkwarden" "$world/data/Inkwarden/Documents"
    install -m 0600 "$work/Sample.rtf" "$world/data/Inkwarden/Documents/Sample.rtf"
    options=(--hook "'$here/desktop_bench.sh' --open-from-library")
  else
    install -m 0600 "$work/Sample.rtf" "$world/home/Sample.rtf"
    arguments=("$world/home/Sample.rtf")
  fi
  output=$(probe "${options[@]}" --idle 1000 --settle 2000 --memory -- "${programs[$1]}" \
    "${arguments[@]}")
  local status=$?
  rm -rf "$world"
  ((status == 0)) || { fail "$1 ($2): no memory figure"; return 1; }
  echo "$(value rss_kb) $(value pss_kb) $(value private_dirty_kb)" >>"$3"
}

# last STATUS FILE: the figure a run just added, or "failed".
last() { if [[ "$1" == 0 ]]; then tail -n1 "$2"; else echo failed; fi; }

report() {
  echo "$1=$2"
  [[ -n "${BENCH_RESULTS:-}" ]] && echo "$1=$2" >>"$BENCH_RESULTS"
}

# --- the runs ---------------------------------------------------------------

start_display || exit 1
start_bus || exit 1
"$sample" "$words" "$work/Sample.rtf" || exit 1
echo "# display $display; document: $words words, $(stat -c %s "$work/Sample.rtf") bytes of RTF"

# The template runs also put both programs' libraries in the page cache.
make_template inkwarden
make_template focuswriter
make_template bare

# The programs and kinds take turns, so drift in the machine's load falls
# on all alike.
kinds=(first returning)
for run in $(seq "$runs"); do
  line="# start-up run $run (ms):"
  for kind in "${kinds[@]}"; do
    for program in inkwarden focuswriter bare; do
      start_up "$program" "$kind" "$work/startup-$kind-$program"
      line+=" $program $kind $(last $? "$work/startup-$kind-$program"),"
    done
  done
  echo "${line%,}"
done
for run in $(seq "$memory_runs"); do
  for kind in "${kinds[@]}"; do
    line="# memory run $run, $kind run (VmRSS Pss Private_Dirty, kB):"
    for program in inkwarden focuswriter; do
      memory "$program" "$kind" "$work/memory-$kind-$program"
      line+=" $program $(last $? "$work/memory-$kind-$program"),"
    done
    echo "${line%,}"
  done
done

for kind in "${kinds[@]}"; do
  report "startup_${kind}_bare_ms" "$(median <"$work/startup-$kind-bare" 2>/dev/null)"
  for program in inkwarden focuswriter; do
    report "startup_${kind}_${program}_ms" "$(median <"$work/startup-$kind-$program" 2>/dev/null)"
    column=1
    for figure in rss pss private_dirty; do
      report "${figure}_${kind}_${program}_kb" \
        "$(awk -v c="$column" '{ print $c }' "$work/memory-$kind-$program" 2>/dev/null | median)"
      column=$((column + 1))
    done
  done
done
report document_words "$words"
report runs "$runs"
report memory_runs "$memory_runs"
[[ -s "$work/probe.log" ]] && sed 's/^/# probe: /' "$work/probe.log"
exit "$failed"
