#!/usr/bin/env python3
"""A sample of single-point mutations of src/, each run against its folder's tests.

usage: scripts/mutation.py [--mutants N] [--seed S] [--folders a,b] [--ids 1,2]
                           [--work DIR] [--report FILE] [--list]

The tracked tree is copied into a scratch folder (build/mutation by default)
and built once. Each mutant then changes one place in one source file, is
built incrementally and is run against the test programs of that folder
(every `inkwarden_add_tests` under tests/FOLDER). A mutant is killed when a
test fails or hangs, survives when all pass, and is stillborn when it does
not compile (those do not count in the score). The sample depends only on the
seed and on src/, so two runs over the same src/ try the same mutants.
"""

import argparse
import collections
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

FOLDERS = ["app", "documents", "editor", "screens", "services", "store"]
TEST_TIMEOUT = 240  # seconds for one test program; a mutant that hangs is killed

# Each operator: (kind, pattern, replacement function). Patterns see a line
# whose string literals and comments are blanked, so they never match inside
# them; the replacement is applied to the real line at the same columns.
RELATIONAL = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ",
              " == ": " != ", " != ": " == "}
LOGICAL = {" && ": " || ", " || ": " && "}


def blank_literals(line):
    """The line with string and char literals and // comments turned to spaces."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\" and i + 1 < len(line):
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


SIMPLE_CALL = re.compile(r"^\s*(?:[A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*)\s*\(.*\);\s*$")
ASSIGNMENT = re.compile(r"^\s*[A-Za-z_][\w.>\-\[\]]*\s*(?:=|\+=|-=)\s*[^=].*;\s*$")
IF_CONDITION = re.compile(r"^(\s*(?:\} else )?if \()(.*)(\) \{|\))\s*$")
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
SKIP_CALLS = re.compile(r"^\s*(return|Q_EMIT|Q_UNUSED|Q_OBJECT|Q_ASSERT|static_assert|qDebug|qWarning|"
                        r"qInfo|qCritical|delete|throw|case|default|using|namespace|template|"
                        r"auto|const|QObject::connect|connect)\b")


def sites_in(path, rel):
    """Every place in one file where an operator applies, as mutant dicts."""
    sites = []
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    in_block_comment = False
    for number, line in enumerate(lines, 1):
        stripped = line.strip()
        if in_block_comment:
            if "*/" in stripped:
                in_block_comment = False
            continue
        if stripped.startswith("/*"):
            in_block_comment = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("#", "//", "*")):
            continue
        code = blank_literals(line)

        def add(kind, new, what):
            if new != line:
                sites.append({"file": rel, "line": number, "kind": kind, "old": line, "new": new,
                              "what": what})

        for old, new in {**RELATIONAL, **LOGICAL}.items():
            for m in re.finditer(re.escape(old), code):
                kind = "logical" if old in LOGICAL else "relational"
                add(kind, line[:m.start()] + new + line[m.end():], f"'{old.strip()}' -> '{new.strip()}'")
        for m in re.finditer(r"\b(true|false)\b", code):
            flipped = "false" if m.group(1) == "true" else "true"
            add("boolean", line[:m.start()] + flipped + line[m.end():], f"{m.group(1)} -> {flipped}")
        # Numbers in tables (code pages, colour lists) are data, not logic.
        if not re.search(r"\b(case|enum|template|std::array|alignas)\b|\[\d|^\s*\{|^\s*\w+ = \d+,?$", code):
            for m in NUMBER.finditer(code):
                value = int(m.group(1))
                changed = value + 1 if value in (0, 1) else value - 1
                add("number", line[:m.start()] + str(changed) + line[m.end():], f"{value} -> {changed}")
        m = IF_CONDITION.match(code)
        if m and code.count("(") == code.count(")"):
            start, end = m.start(2), m.end(2)
            add("negated", line[:start] + "!(" + line[start:end] + ")" + line[end:],
                "condition negated")
        if (SIMPLE_CALL.match(code) or ASSIGNMENT.match(code)) and not SKIP_CALLS.match(code) \
                and code.count("(") == code.count(")") and not code.rstrip().endswith("});"):
            indent = line[:len(line) - len(line.lstrip())]
            add("dropped", indent + ";", "statement dropped")
    return sites


def all_sites(root):
    by_folder = collections.defaultdict(list)
    for folder in FOLDERS:
        base = os.path.join(root, "src", folder)
        for directory, _, files in sorted(os.walk(base)):
            for name in sorted(files):
                if name.endswith(".cpp") and name != "main.cpp":
                    path = os.path.join(directory, name)
                    by_folder[folder] += sites_in(path, os.path.relpath(path, root))
    return by_folder


def sample(by_folder, count, seed):
    """At least a tenth of count a folder, the rest by each folder's share of sites."""
    rng = random.Random(seed)
    total = sum(len(s) for s in by_folder.values())
    floor = count // 10
    chosen = []
    for folder in FOLDERS:
        sites = by_folder.get(folder, [])
        want = max(floor, round(count * len(sites) / total)) if total else 0
        chosen += rng.sample(sites, min(want, len(sites)))
    chosen.sort(key=lambda s: (s["file"], s["line"], s["new"]))
    for number, mutant in enumerate(chosen, 1):
        mutant["id"] = number
    return chosen


def test_programs(root, folder):
    names = []
    for directory, _, files in os.walk(os.path.join(root, "tests", folder)):
        if "CMakeLists.txt" in files:
            with open(os.path.join(directory, "CMakeLists.txt"), encoding="utf-8") as f:
                names += re.findall(r"inkwarden_add_tests\(\s*(\w+)", f.read())
    return sorted(names)


def default_signals():
    # Started under nohup or in the background, this script inherits ignored
    # SIGHUP and SIGINT; the tests of the program's own signal handling must not.
    for number in (signal.SIGHUP, signal.SIGINT, signal.SIGTERM, signal.SIGQUIT):
        signal.signal(number, signal.SIG_DFL)


def locate(lines, mutant):
    """The index of the mutant's line: where it was, else the nearest line with its text."""
    if mutant["line"] <= len(lines) and lines[mutant["line"] - 1] == mutant["old"]:
        return mutant["line"] - 1
    same = [i for i, line in enumerate(lines) if line == mutant["old"]]
    return min(same, key=lambda i: abs(i + 1 - mutant["line"])) if same else None


def run(cmd, cwd=None, timeout=None, env=None):
    try:
        done = subprocess.run(cmd, cwd=cwd, timeout=timeout, env=env, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True, errors="replace",
                              preexec_fn=default_signals)
        return done.returncode, done.stdout
    except subprocess.TimeoutExpired:
        return None, "timed out"


def find_program(build, name):
    for directory, _, files in os.walk(os.path.join(build, "tests")):
        if name in files:
            return os.path.join(directory, name)
    raise SystemExit(f"mutation: test program {name} was not built")


def prepare(repo, work, jobs, folders):
    scratch = os.path.join(work, "tree")
    build = os.path.join(work, "build")
    files = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                           cwd=repo, check=True, stdout=subprocess.PIPE)
    wanted = set()
    for rel in files.stdout.decode().split("\0"):
        if rel and os.path.isfile(os.path.join(repo, rel)):
            wanted.add(rel)
            source, target = os.path.join(repo, rel), os.path.join(scratch, rel)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            # Copy only what changed, so the scratch build stays incremental across runs.
            if not os.path.exists(target) or open(source, "rb").read() != open(target, "rb").read():
                shutil.copy2(source, target)
    for directory, _, names in os.walk(scratch):
        for name in names:
            rel = os.path.relpath(os.path.join(directory, name), scratch)
            if rel not in wanted:
                os.remove(os.path.join(directory, name))
    code, out = run(["cmake", "-S", scratch, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                     "-DINKWARDEN_WARNINGS_AS_ERRORS=OFF", "-DINKWARDEN_BUILD_BENCHMARKS=OFF"])
    if code != 0:
        raise SystemExit("mutation: configure failed\n" + out)
    targets = [t for folder in folders for t in test_programs(scratch, folder)]
    code, out = run(["cmake", "--build", build, "-j", str(jobs), "--target", *targets])
    if code != 0:
        raise SystemExit("mutation: the unmutated tree does not build\n" + out[-3000:])
    for program in targets:  # every test must pass before any mutant counts
        code, out = run([find_program(build, program), "--gtest_brief=1"], timeout=TEST_TIMEOUT,
                        env=test_env(work))
        if code != 0:
            raise SystemExit(f"mutation: {program} fails without a mutant\n" + out[-3000:])
    return scratch, build


def test_env(work):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TZ="UTC")
    env["HOME"] = os.path.join(work, "home")
    os.makedirs(env["HOME"], exist_ok=True)
    return env


def outcome(build, programs, env, targets, jobs):
    code, _ = run(["cmake", "--build", build, "-j", str(jobs), "--target", *targets])
    if code != 0:
        return "stillborn", ""
    for program in programs:
        code, out = run([program, "--gtest_brief=1"], timeout=TEST_TIMEOUT, env=env)
        if code != 0:
            failed = re.findall(r"^\[  FAILED  \] (\S+)", out, re.M)
            return "killed", (failed[0] if failed else "timed out" if code is None else f"exit {code}")
    return "survived", ""


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--mutants", type=int, default=150)
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--folders", default=",".join(FOLDERS))
    parser.add_argument("--ids", default="", help="only these mutants (numbers from a report)")
    parser.add_argument("--work", default="build/mutation")
    parser.add_argument("--report", default="", help="also write the report here")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--save-sample", default="", help="write the sample to this JSON file")
    parser.add_argument("--sample", default="",
                        help="try the mutants of a saved sample instead of drawing one, found "
                             "by their line's text where src/ has moved since")
    args = parser.parse_args()

    repo = subprocess.run(["git", "rev-parse", "--show-toplevel"], check=True, text=True,
                          stdout=subprocess.PIPE).stdout.strip()
    if args.sample:
        with open(args.sample, encoding="utf-8") as f:
            mutants = json.load(f)
    else:
        mutants = sample(all_sites(repo), args.mutants, args.seed)
    if args.save_sample:
        with open(args.save_sample, "w", encoding="utf-8") as f:
            json.dump(mutants, f, indent=1)
    folders = args.folders.split(",")
    ids = {int(i) for i in args.ids.split(",") if i}
    mutants = [m for m in mutants if m["file"].split("/")[1] in folders and (not ids or m["id"] in ids)]
    if args.list:
        for m in mutants:
            print(f"#{m['id']:<4} {m['file']}:{m['line']}  {m['kind']}: {m['what']}")
        return 0

    work = os.path.abspath(args.work)
    report = open(args.report, "w", encoding="utf-8") if args.report else None

    def say(text):
        print(text, flush=True)
        if report:
            report.write(text + "\n")
            report.flush()

    started = time.time()
    scratch, build = prepare(repo, work, args.jobs, folders)
    env = test_env(work)
    say(f"mutation: {len(mutants)} mutants, seed {args.seed}, tree {repo}")
    scores = collections.defaultdict(collections.Counter)
    survivors = []
    targets = {folder: test_programs(scratch, folder) for folder in folders}
    programs = {folder: [find_program(build, t) for t in targets[folder]] for folder in folders}
    for m in mutants:
        folder = m["file"].split("/")[1]
        path = os.path.join(scratch, m["file"])
        with open(path, encoding="utf-8") as f:
            original = f.read()
        lines = original.split("\n")
        at = locate(lines, m)
        if at is None:
            say(f"#{m['id']:<4} gone      {m['file']}:{m['line']} (that line is no longer there)")
            continue
        lines[at] = m["new"]
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        try:
            result, by = outcome(build, programs[folder], env, targets[folder], args.jobs)
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        scores[folder][result] += 1
        where = f"{m['file']}:{m['line']}"
        say(f"#{m['id']:<4} {result:<9} {where:<48} {m['kind']}: {m['what']}"
            + (f"  ({by})" if by else ""))
        if result == "survived":
            survivors.append(m)

    say("\nscore per folder (killed / killed + survived; stillborn not counted)")
    total = collections.Counter()
    for folder in FOLDERS:
        s = scores.get(folder)
        if not s:
            continue
        total.update(s)
        live = s["killed"] + s["survived"]
        say(f"  {folder:<10} {s['killed']:>3} / {live:<3} {100 * s['killed'] / max(live, 1):5.1f}%"
            f"   ({s['stillborn']} stillborn)")
    live = total["killed"] + total["survived"]
    say(f"  {'all':<10} {total['killed']:>3} / {live:<3} {100 * total['killed'] / max(live, 1):5.1f}%"
        f"   ({total['stillborn']} stillborn)")
    say(f"\nsurvivors ({len(survivors)}):")
    for m in survivors:
        say(f"  #{m['id']} {m['file']}:{m['line']} {m['kind']}: {m['what']}\n"
            f"      - {m['old'].strip()}\n      + {m['new'].strip()}")
    say(f"\n{time.time() - started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
