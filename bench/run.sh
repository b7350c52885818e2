#!/usr/bin/env bash
# Everything `make bench` measures: the Google Benchmark programs, then the
# desktop comparison with FocusWriter, then one summary of the figures that
# have targets, each against its baseline.
#
# usage: bench/run.sh [BUILD_DIR]      (default: build/release)
#
# The programs run with a temporary home and XDG folders and a session bus
# address that leads nowhere; their temporary files go to a folder under
# /var/tmp (on a disk, so the durable saves cost what they cost), removed at
# the end. The raw results are kept when BENCH_KEEP names a folder.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd) || exit 2

work=$(mktemp -d /var/tmp/inkwarden-bench.XXXXXX)
chmod 0700 "$work"
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir -p "$work/home" "$work/config" "$work/data" "$work/cache" "$work/runtime" "$work/results" \
  "$work/tmp"
chmod 0700 "$work"/*

private() {
  env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" TMPDIR="$work/tmp" TZ=UTC \
    LANG=C.UTF-8 LC_ALL=C.UTF-8 "$@"
}

status=0
for program in "$build"/bench/*_bench; do
  name=$(basename "$program")
  echo "== $name"
  private "$program" --benchmark_out="$work/results/$name.json" --benchmark_out_format=json ||
    status=1
done

echo "== desktop_bench.sh"
BENCH_RESULTS="$work/results/desktop.txt" "$here/desktop_bench.sh" "$build" || status=1

python3 "$here/summary.py" "$work/results" || status=1
if [[ -n "${BENCH_KEEP:-}" ]]; then
  mkdir -p "$BENCH_KEEP" && cp "$work/results"/* "$BENCH_KEEP"/
fi
exit "$status"
