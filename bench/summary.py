#!/usr/bin/env python3
"""The figures with targets, each beside the baseline measured in the same
run and the ratio of the two; ratios under 1 meet the target.

usage: bench/summary.py RESULTS_DIR

RESULTS_DIR holds the Google Benchmark programs' JSON output (NAME.json) and
desktop_bench.sh's key=value lines (desktop.txt). A figure that is missing is
shown as not measured and makes the exit status 1.
"""

import json
import pathlib
import sys

FRAME_MS = 16.7
OPEN_BUDGET_MS = 150.0
FILL_BUDGET_MS = 10000.0
PROGRESS_BUDGET_MS = 100.0


def benchmarks(folder):
    found = {}
    for path in folder.glob("*.json"):
        for entry in json.loads(path.read_text(encoding="utf-8")).get("benchmarks", []):
            if not entry.get("error_occurred"):
                found[entry["name"]] = entry
    return found


def desktop(folder):
    values = {}
    path = folder / "desktop.txt"
    if path.exists():
        for line in path.read_text(encoding="utf-8").splitlines():
            key, _, value = line.partition("=")
            try:
                values[key] = float(value)
            except ValueError:
                pass
    return values


def counter(results, name, key):
    entry = results.get(name)
    return entry.get(key) if entry else None


def main():
    folder = pathlib.Path(sys.argv[1])
    results = benchmarks(folder)
    machine = desktop(folder)
    words = int(machine.get("document_words", 50000))
    runs = int(machine.get("runs", 10))
    memory_runs = int(machine.get("memory_runs", 3))
    rows = []

    def row(figure, measured, baseline, baseline_name, unit):
        rows.append((figure, measured, baseline, baseline_name, unit))

    for kind, label in (("first", "first run"), ("returning", "returning user")):
        row(f"Start-up, launch to window mapped, {label} (median of {runs})",
            machine.get(f"startup_{kind}_inkwarden_ms"),
            machine.get(f"startup_{kind}_focuswriter_ms"), "FocusWriter", "ms")
        bare = machine.get(f"startup_{kind}_bare_ms")
        row(f"Start-up against a bare Qt window, {label} (budget 1.3 times)",
            machine.get(f"startup_{kind}_inkwarden_ms"),
            bare * 1.3 if bare is not None else None, "1.3 x bare Qt", "ms")
    for kind, label in (("first", "first run"), ("returning", "returning user")):
        for key, name in (("rss", "VmRSS"), ("pss", "Pss"), ("private_dirty", "Private_Dirty")):
            row(f"Memory, {name}, {words:,}-word RTF open, {label} (median of {memory_runs})",
                machine.get(f"{key}_{kind}_inkwarden_kb"),
                machine.get(f"{key}_{kind}_focuswriter_kb"), "FocusWriter", "kB")
    for size in (1000, 10000, 50000, 100000):
        name = f"keystroke/{size}/iterations:300"
        row(f"Keystroke with save, {size:,} words, p99 "
            f"(median {format_value(counter(results, name, 'median_ms'), 'ms')})",
            counter(results, name, "p99_ms"), FRAME_MS, "one frame", "ms")
    name = "openFromLibrary/100000/iterations:10/manual_time"
    row(f"Open 100,000 words from the library, median "
        f"(file read {format_value(counter(results, name, 'read_ms'), 'ms')}, "
        f"layout {format_value(counter(results, name, 'layout_ms'), 'ms')})",
        counter(results, name, "median_ms"), OPEN_BUDGET_MS, "budget", "ms")
    row("Keystroke with save and live word count, 100,000 words, p99",
        counter(results, "keystroke/100000/iterations:300", "p99_ms"), FRAME_MS / 2,
        "half a frame", "ms")
    name = "keystrokeIndexing/100000/iterations:300"
    row(f"Keystroke with save while the search index is built, 100,000 words, p99 "
        f"(median {format_value(counter(results, name, 'median_ms'), 'ms')})",
        counter(results, name, "p99_ms"), FRAME_MS / 2, "half a frame", "ms")
    off = "keystrokeSpelling/100000/0/iterations:300"
    on = "keystrokeSpelling/100000/1/iterations:300"
    row("Keystroke with spell checking, 100,000 words of prose, p99",
        counter(results, on, "p99_ms"), FRAME_MS / 2, "half a frame", "ms")
    off_median = counter(results, off, "median_ms")
    row("Keystroke with spell checking, median against checking off (budget 1.2 times)",
        counter(results, on, "median_ms"),
        off_median * 1.2 if off_median is not None else None, "1.2 x off", "ms")
    name = "openSpelling/100000/1/iterations:10/manual_time"
    row("Open 100,000 words of prose with spell checking, median",
        counter(results, name, "median_ms"), OPEN_BUDGET_MS, "budget", "ms")
    name = "fillFromEntries/iterations:1/manual_time"
    row("Record filled from Entries, 3,650 entries (about 2 million words)",
        manual_ms(results, name), FILL_BUDGET_MS, "budget", "ms")
    name = "openProgressWindow/iterations:20/manual_time"
    row("Progress window open over 10 years of history, median",
        counter(results, name, "median_ms"), PROGRESS_BUDGET_MS, "budget", "ms")
    name = "browseFiles/iterations:10"
    row(f"Browse Files with 10,000 documents, open to painted, median "
        f"(memory growth {format_value(counter(results, name, 'rss_growth_mb'), 'MB')}, "
        f"budget 20 MB; CPU while open and idle "
        f"{format_value(counter(results, name, 'idle_cpu_ms_per_s'), 'ms')} a second)",
        counter(results, name, "median_ms"), OPEN_BUDGET_MS, "budget", "ms")
    name = "search/iterations:600"
    row("Search over 10,000 documents, asked to list painted, median",
        counter(results, name, "median_ms"), 20.0, "budget", "ms")
    row("Search over 10,000 documents, asked to list painted, p99",
        counter(results, name, "p99_ms"), 50.0, "budget", "ms")
    row("Search index built from nothing, 10,000 documents (5 million words)",
        counter(results, "indexBuild/iterations:1", "build_s"), 30.0, "budget", "s")
    status = print_table(rows)
    # No target of its own: the write runs beside the typing, and this is how
    # far the file lags behind a keystroke.
    name = "keystrokeToDisk/100000/iterations:100"
    print("Keystroke until durably in the file, 100,000 words (no target)")
    print(f"    median {format_value(counter(results, name, 'median_ms'), 'ms')}, "
          f"p99 {format_value(counter(results, name, 'p99_ms'), 'ms')}")
    return status


def manual_ms(results, name):
    entry = results.get(name)
    return entry.get("real_time") if entry else None


def format_value(value, unit):
    if value is None:
        return "not measured"
    return f"{value:,.0f} {unit}" if unit == "kB" else f"{value:,.1f} {unit}"


def print_table(rows):
    print()
    print("== Summary: Inkwarden against its baselines (ratio < 1 meets the target)")
    missing = False
    for figure, measured, baseline, baseline_name, unit in rows:
        if measured is None or not baseline:
            ratio, verdict = "-", "not measured"
            missing = True
        else:
            ratio = f"{measured / baseline:.2f}"
            verdict = "meets" if measured < baseline else "MISSES"
        print(f"{figure}")
        print(f"    Inkwarden {format_value(measured, unit):>14}   "
              f"{baseline_name} {format_value(baseline, unit):>12}   "
              f"ratio {ratio:>5}   {verdict}")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
