#!/usr/bin/env python3
"""mutate.py - mutation testing of the C++ sources: how many planted faults
the tests catch. scripts/mutate runs this on a private virtual display.

Each mutant is one small fault (a comparison turned, a sign, a constant off
by one, a boolean or a "!", "&&" for "||", a call left out, a return value
replaced) planted on one line that the change touches. It is planted in a copy
of the sources, build-mutate/, built with the test preset there, and the tests
of the groups that cover its file run against it: a failing test kills it, a
hang past the time limit kills it too, one that the compiler or linker
refuses is not viable, and one that passes everything survives and is
listed.

The copy keeps the developer's folders as they are: nothing is ever written
to the checkout itself, so Ctrl+C or a kill cannot leave a fault in the
sources, and the copy heals itself at the next run, which brings it up to
date with the checkout before it builds.
"""

import argparse
import fcntl
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
COPY = ROOT / "build-mutate"
BUILD = COPY / "build-test"
LOGS = COPY / "mutate-logs"

# The ctest labels that cover each folder, run in this order: the quicker,
# closer group first, so that most mutants die before the slow ones start.
LABELS = {
    "steps": ["steps", "capture"],
    "tools": ["capture"],
    "app": ["scene", "steps", "program", "capture"],
    "render": ["scene", "steps", "program", "capture"],
    "web": ["web"],
}


@dataclass
class Mutant:
    path: str  # relative to the root
    line: int  # 1-based
    original: str  # the whole line, as it is
    mutated: str  # the whole line, with the fault

    def where(self):
        return f"{self.path}:{self.line}"

    def describe(self):
        return f"{self.where()}: {self.original.strip()} -> {self.mutated.strip()}"


# ---------------------------------------------------------------- mutants

# clang-format puts spaces around binary operators, which tells a comparison
# from a template's brackets, a product from a pointer, a difference from a
# negative number.
SWAPS = {
    " < ": [" <= ", " >= "],
    " <= ": [" < ", " > "],
    " > ": [" >= ", " <= "],
    " >= ": [" > ", " < "],
    " == ": [" != "],
    " != ": [" == "],
    " + ": [" - "],
    " - ": [" + "],
    " * ": [" / "],
    " / ": [" * "],
    " += ": [" -= "],
    " -= ": [" += "],
    "++": ["--"],
    "--": ["++"],
    " && ": [" || "],
    " || ": [" && "],
}
SWAP_PATTERN = re.compile("|".join(re.escape(k) for k in sorted(SWAPS, key=len, reverse=True)))
NUMBER = re.compile(r"(?<![\w.])(\d+)(\.\d+)?([fF]?)(?![\w.])")
BOOLEAN = re.compile(r"\b(true|false)\b")
NOT = re.compile(r"!(?!=)")
# A statement that is one call and nothing else, inside a function.
CALL_STATEMENT = re.compile(r"^(\s+)(?:[A-Za-z_]\w*(?:::|\.|->))*[A-Za-z_]\w*\(.*\);\s*$")
RETURN_VALUE = re.compile(r"^(\s*return )(.+);\s*$")
# Control words that look like a call: "if (x);" is not one.
KEYWORDS = {"if", "for", "while", "switch", "return", "sizeof", "case", "do", "else"}


def code_only(line):
    """The line with string and character literals and comments blanked,
    the same length, so that positions match the line itself."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\" and i + 1 < len(line):
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
                out.append(c)
            else:
                out.append(" ")
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


def line_mutants(line):
    """The mutated forms of one line of C++: a list of whole lines."""
    code = code_only(line)
    stripped = code.strip()
    if not stripped or stripped.startswith("#"):
        return []
    found = []

    def replace(start, end, text):
        found.append(line[:start] + text + line[end:])

    for m in SWAP_PATTERN.finditer(code):
        # "<<", ">>", "->", "+=" next to the match belong to another operator.
        before = code[m.start() - 1] if m.start() > 0 else " "
        after = code[m.end()] if m.end() < len(code) else " "
        if m.group() in ("++", "--"):
            if before in "+-" or after in "+-=":
                continue
        elif before in "<>-+=!&|" or after in "<>=":
            continue
        elif m.group() == " + " and '"' in (before, after):
            continue  # joins strings: " - " would not build
        for text in SWAPS[m.group()]:
            replace(m.start(), m.end(), text)
    for m in NUMBER.finditer(code):
        whole, fraction, suffix = m.group(1), m.group(2) or "", m.group(3)
        values = {"0": ["1"], "1": ["0", "2"]}.get(whole + fraction, [str(int(whole) + 1) + fraction])
        for value in values:
            replace(m.start(), m.end(), value + suffix)
    for m in BOOLEAN.finditer(code):
        replace(m.start(), m.end(), "false" if m.group() == "true" else "true")
    for m in NOT.finditer(code):
        replace(m.start(), m.end(), "")
    call = CALL_STATEMENT.match(code)
    if call and code.strip().split("(")[0].strip() not in KEYWORDS:
        found.append(call.group(1) + "{}  // left out\n")
    ret = RETURN_VALUE.match(code)
    if ret and ret.group(2).strip() not in ("{}", "true", "false"):
        found.append(line[: len(ret.group(1))] + "{};\n")
    # The same line twice ("1" -> "0" where "n - 1" -> ...) is one mutant.
    return [m for i, m in enumerate(found) if m != line and m not in found[:i]]


def in_block_comment(lines):
    """For each line, whether it is inside a /* */ comment (a rough reading:
    the sources here hardly use them)."""
    inside, flags = False, []
    for line in lines:
        code = code_only(line)
        flags.append(inside or code.strip().startswith("/*"))
        if "/*" in code:
            inside = "*/" not in code[code.index("/*") :]
        elif inside and "*/" in code:
            inside = False
    return flags


def file_mutants(path, wanted_lines):
    text = (ROOT / path).read_text().splitlines(keepends=True)
    comments = in_block_comment(text)
    mutants = []
    for number, line in enumerate(text, 1):
        if wanted_lines is not None and number not in wanted_lines:
            continue
        if comments[number - 1] or "NOLINT" in line:
            continue
        for mutated in line_mutants(line):
            mutants.append(Mutant(path, number, line, mutated))
    return mutants


# ---------------------------------------------------------------- what changed


def git(*args):
    return subprocess.run(["git", *args], cwd=ROOT, check=True, capture_output=True, text=True).stdout


def default_base():
    for rev in ("origin/main", "main"):
        if subprocess.run(["git", "rev-parse", "--verify", "-q", rev], cwd=ROOT, capture_output=True).returncode == 0:
            return rev
    sys.exit("mutate: neither origin/main nor main exists here: give --since REV")


def changed_lines(base, paths):
    """{path: set of line numbers} of the lines added or changed since base,
    in the working tree. From where this branch left base, so that what
    base gained since is not taken for a change here."""
    fork = git("merge-base", base, "HEAD").strip()
    diff = git("diff", "-U0", "--no-color", "--no-renames", fork, "--", *paths)
    lines, path = {}, None
    for row in diff.splitlines():
        if row.startswith("+++ "):
            path = None if row == "+++ /dev/null" else row[6:]
        elif row.startswith("@@") and path:
            m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", row)
            start, count = int(m.group(1)), int(m.group(2) or 1)
            lines.setdefault(path, set()).update(range(start, start + count))
    # Files that git does not track yet count whole.
    for path in git("ls-files", "--others", "--exclude-standard", "--", *paths).split():
        lines[path] = None
    return lines


def all_files(paths):
    return {p: None for p in git("ls-files", "--cached", "--others", "--exclude-standard", "--", *paths).split()}


def labels_for(path):
    top = path.split("/")[0]
    if not path.endswith(".cpp") or top not in LABELS:
        return None
    return LABELS[top]


# ---------------------------------------------------------------- building and testing


def sync_copy():
    """Brings build-mutate/ up to date with the checkout, files that differ
    only, so that the build there stays incremental."""
    COPY.mkdir(exist_ok=True)
    for path in git("ls-files", "--cached", "--others", "--exclude-standard", "-z").split("\0"):
        source, target = ROOT / path, COPY / path
        if not path or not source.is_file():
            continue
        if target.is_file() and target.read_bytes() == source.read_bytes():
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(source, target)


def run(command, timeout=None, log=None):
    """Runs a command in a process group of its own, so that a hang is
    stopped whole (ctest, the test, the program it started), its output
    added to log. Returns the exit status, or None when it ran out of time."""
    with open(log or os.devnull, "a") as out:
        process = subprocess.Popen(command, cwd=COPY, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        finally:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()


def configure():
    # The page is the web group's own build (scripts/web); the native build
    # here leaves it out. Warnings stay warnings: "a || b && c" is a fault
    # the tests should catch, not one the compiler's style rules should.
    log = COPY / "configure.log"
    if run(["cmake", "--preset", "test", "-DQUENLADE_PAGE=OFF", "-DQUENLADE_WERROR=OFF"], log=log) != 0:
        sys.exit(f"mutate: cmake could not configure build-mutate/ (see {log})")


def build(log, page=False):
    """Builds the tests and programs and, with page, the page (into the
    copy's out/web/, where its ctest group looks)."""
    if run(["cmake", "--build", str(BUILD), "--parallel", "2"], log=log) != 0:
        return False
    return not page or run(["bash", "scripts/web", "--build-only"], log=log) == 0


def test(labels, timeout, log):
    """'killed', 'survived' or 'timed out'. The groups run one after the
    other, each stopping at its first failure; a test that skips counts as
    a failure, as in scripts/test."""
    deadline = time.monotonic() + timeout
    for label in labels:
        left = deadline - time.monotonic()
        if left <= 0:
            return "timed out"
        status = run(
            ["ctest", "--test-dir", str(BUILD), "-L", f"^{label}$", "-j", "2", "--stop-on-failure",
             "--no-tests=error", "--output-on-failure"],
            timeout=left, log=log)
        if status is None:
            return "timed out"
        if status != 0 or "The following tests did not run" in log.read_text():
            return "killed"
    return "survived"


# ---------------------------------------------------------------- main


def main():
    parser = argparse.ArgumentParser(
        prog="scripts/mutate",
        description="Plants small faults (mutants) in the C++ lines a change touches, one at a time, "
        "and runs the tests that cover each file against it: prints how many the tests catch, "
        "and the ones they miss. The page's JavaScript under web/ goes to StrykerJS. Paths are "
        "from the repository's root.",
        epilog="By default the lines changed since origin/main (or main); with PATHs and no --since, "
        "every line of those files and folders. Mutants are built in build-mutate/.")
    parser.add_argument("paths", nargs="*", metavar="PATH",
                        help="files or folders to mutate; FILE:FIRST-LAST or FILE:LINE for some lines of a file")
    parser.add_argument("--since", metavar="REV", help="mutate the lines changed since REV (git diff -U0 REV)")
    parser.add_argument("--sample", type=int, metavar="N", help="run N C++ mutants picked at random, not all, and StrykerJS on N lines of JavaScript")
    parser.add_argument("--seed", type=int, default=1, help="the sample's seed (default 1), for a run that can be repeated")
    parser.add_argument("--timeout", type=float, metavar="SECONDS",
                        help="a mutant's time for its tests (default: three times the tests' own time, plus a minute)")
    parser.add_argument("--min", type=float, metavar="SCORE", help="exit with status 1 when the C++ score is below SCORE (0 to 1); StrykerJS reports its own")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    args = parser.parse_args()
    if args.min is not None and not 0 <= args.min <= 1:
        parser.error("--min: the score is a number from 0 to 1, such as 0.8")
    if args.sample is not None and args.sample < 1:
        parser.error("--sample: a whole number of mutants, 1 or more")

    # FILE:FIRST-LAST (or FILE:LINE) takes those lines only: a survivor
    # tried again once its test is written.
    paths, only = [], {}
    for arg in args.paths:
        m = re.fullmatch(r"(.+):(\d+)(?:-(\d+))?", arg)
        path = m.group(1) if m else arg
        if not (ROOT / path).exists():
            parser.error(f"{path}: no such file or folder in {ROOT}")
        if m:
            if not (ROOT / path).is_file():
                parser.error(f"{arg}: lines are given for a file, not a folder")
            first = int(m.group(2))
            only.setdefault(path, set()).update(range(first, int(m.group(3) or first) + 1))
        paths.append(path)
    if args.since or not paths:
        base = args.since or default_base()
        targets = changed_lines(base, paths)
        what = f"the lines changed since {base}"
    else:
        targets = all_files(paths)
        what = ("the lines asked for in " if only else "every line of ") + " ".join(args.paths)
    for path, lines in only.items():
        if path in targets:
            targets[path] = lines if targets[path] is None else targets[path] & lines

    mutants, scripts, skipped = [], {}, []
    for path, lines in sorted(targets.items()):
        if path.startswith("web/") and path.endswith(".js"):
            scripts[path] = lines
        elif labels_for(path) is not None:
            mutants += file_mutants(path, lines)
        elif path.endswith((".cpp", ".h")):
            skipped.append(path)
    print(f"mutate: {what}: {len(mutants)} C++ mutants in {len({m.path for m in mutants})} file(s)")
    if skipped:
        print("mutate: not mutated (headers, tests and files no group covers): " + " ".join(skipped))
    if args.sample and scripts:
        # StrykerJS makes its mutants itself, so the JavaScript is sampled by
        # lines of code, each with all its mutants.
        code = [(path, n) for path in sorted(scripts) for n in script_lines(path, scripts[path])]
        if args.sample < len(code):
            scripts = {}
            for path, n in random.Random(args.seed).sample(code, args.sample):
                scripts.setdefault(path, set()).add(n)
            print(f"mutate: StrykerJS on a sample of {args.sample} of {len(code)} lines of JavaScript "
                  f"(seed {args.seed}), with all their mutants")
    if args.sample and args.sample < len(mutants):
        # In the sample's own order: a run stopped early is a fair sample too.
        mutants = random.Random(args.seed).sample(mutants, args.sample)
        print(f"mutate: a sample of {len(mutants)} (seed {args.seed})")
    if args.list:
        for m in mutants:
            print(m.describe())
        if scripts:
            print("StrykerJS: --mutate " + " ".join(stryker_ranges(scripts)))
        return 0
    if not mutants and not scripts:
        print("mutate: nothing to mutate: no C++ that a test group covers, and no JavaScript under web/ "
              "(so StrykerJS is not run)")
        return 0

    # One run at a time: two would build over each other's mutants.
    COPY.mkdir(exist_ok=True)
    lock = open(COPY / ".lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        sys.exit("mutate: another run is using build-mutate/; wait for it to end")
    sync_copy()
    configure()
    shutil.rmtree(LOGS, ignore_errors=True)
    LOGS.mkdir()
    status = run_cpp(mutants, args) if mutants else 0
    if scripts:
        status = max(status, run_stryker(scripts))
    else:
        print("mutate: no JavaScript under web/ to mutate: StrykerJS not run")
    return status


def run_cpp(mutants, args):
    # The tests must pass without a fault first: otherwise every mutant would
    # count as caught.
    labels = sorted({label for m in mutants for label in labels_for(m.path)},
                    key=lambda label: ["steps", "scene", "capture", "program", "web"].index(label))
    page = "web" in labels
    print(f"mutate: building and running the tests without a fault ({', '.join(labels)})", flush=True)
    if not build(LOGS / "baseline-build.log", page):
        sys.exit(f"mutate: the sources do not build as they are (see {LOGS / 'baseline-build.log'})")
    started = time.monotonic()
    if test(labels, 3600, LOGS / "baseline-test.log") != "survived":
        sys.exit(f"mutate: the tests fail without any fault; fix that first (see {LOGS / 'baseline-test.log'})")
    took = time.monotonic() - started
    timeout = args.timeout or 3 * took + 60
    print(f"mutate: the tests took {took:.0f} s; each mutant gets {timeout:.0f} s for them", flush=True)

    results = {"killed": [], "survived": [], "not viable": [], "timed out": []}
    started = time.monotonic()
    try:
        try_each(mutants, timeout, results)
    except KeyboardInterrupt:
        # What ran is still worth its summary.
        print("\nmutate: stopped; the summary of the mutants that ran:")
        args.min = None
        status = 130
    else:
        status = 0
    done = sum(len(r) for r in results.values())
    spent = time.monotonic() - started
    build(LOGS / "restore-build.log", page)  # leaves build-mutate/ built from the sources as they are
    if not done:
        return status

    caught = len(results["killed"]) + len(results["timed out"])
    counted = caught + len(results["survived"])
    score = caught / counted if counted else 1.0
    print()
    print(f"mutate: {done} mutants in {spent / 60:.1f} min ({spent / done:.0f} s each): "
          f"{len(results['killed'])} killed, {len(results['survived'])} survived, "
          f"{len(results['not viable'])} not viable, {len(results['timed out'])} timed out "
          "(a hang counts as killed)")
    print(f"mutate: score {score:.2f} ({caught} of {counted} caught)")
    if results["survived"]:
        print("Survivors (their test logs in build-mutate/mutate-logs/):")
        for m in sorted(results["survived"], key=lambda m: (m.path, m.line)):
            print("  " + m.describe())
    if args.min is not None and score < args.min:
        print(f"mutate: the score {score:.2f} is below --min {args.min}", file=sys.stderr)
        return 1
    return status


def try_each(mutants, timeout, results):
    """Plants each mutant in the copy, builds and tests it, and takes it out
    again whatever happens (Ctrl+C too)."""
    for n, m in enumerate(mutants, 1):
        target = COPY / m.path
        original = target.read_text()
        lines = original.splitlines(keepends=True)
        lines[m.line - 1] = m.mutated
        log = LOGS / f"{n}.log"
        try:
            target.write_text("".join(lines))
            page = m.path.startswith("web/")
            outcome = built(m, log, page)
            if outcome == "broken":
                # Something a test left in the build (a file it writes
                # there) broke it: configuring again puts those back.
                configure()
                outcome = built(m, log, page)
            if outcome == "broken":
                sys.exit(f"mutate: the build fails outside {m.path}, mutant or not (see {log}); stopped")
            if outcome == "built":
                outcome = test(labels_for(m.path), timeout, log)
                if outcome == "timed out":
                    # A busy machine (others build here too) is not a hang:
                    # a hang is one that runs out of twice the time again.
                    log.unlink(missing_ok=True)
                    outcome = test(labels_for(m.path), 2 * timeout, log)
        finally:
            target.write_text(original)
        results[outcome].append(m)
        if outcome != "survived":
            log.unlink(missing_ok=True)
        print(f"[{n}/{len(mutants)}] {outcome:<10} {m.describe()}", flush=True)


def built(m, log, page):
    """'built'; 'not viable' when the compiler or linker refuses the mutant
    (an error in its own file); 'killed' when a program that the build runs
    (the test listing, the manual page from --help) fails on it; 'broken'
    when the build fails elsewhere, which is no fault of the mutant's."""
    if build(log, page):
        return "built"
    text = log.read_text(errors="replace")
    if re.search(re.escape(m.path) + r":\d+(:\d+)?: error:|undefined reference|collect2", text):
        return "not viable"
    return "broken" if "error:" in text else "killed"


def script_lines(path, lines):
    """The lines of a script that hold code (not blank, not only a comment),
    of those given (None: all)."""
    text = (ROOT / path).read_text().splitlines()
    return [n for n, line in enumerate(text, 1)
            if (lines is None or n in lines) and line.strip() and not re.match(r"\s*(//|/?\*)", line)]


def stryker_ranges(scripts):
    """StrykerJS's --mutate list: a whole file, or file:first-last for each
    run of changed lines."""
    ranges = []
    for path, lines in sorted(scripts.items()):
        if lines is None:
            ranges.append(path)
            continue
        numbers = sorted(lines)
        first = previous = numbers[0]
        for n in numbers[1:] + [None]:
            if n is not None and n == previous + 1:
                previous = n
                continue
            ranges.append(f"{path}:{first}-{previous}")
            if n is not None:
                first = previous = n
    return ranges


def run_stryker(scripts):
    """StrykerJS over the changed JavaScript, each mutant held to the page
    test (stryker.config.mjs); the programs the page test asks come from the
    build here. Returns StrykerJS's exit status."""
    for group in ("web", "browser"):
        subprocess.run([str(ROOT / "scripts/install-deps"), group], check=True)
    if not build(LOGS / "page-build.log"):
        sys.exit(f"mutate: the sources do not build as they are (see {LOGS / 'page-build.log'})")
    env = dict(os.environ, QUENLADE_CAPTURE=str(BUILD / "quenlade-capture"),
               QUENLADE_EXPECT=str(BUILD / "tests/quenlade_expect"))
    ranges = stryker_ranges(scripts)
    print("mutate: StrykerJS over " + " ".join(ranges), flush=True)
    return subprocess.run(["npx", "stryker", "run", "--mutate", ",".join(ranges)], cwd=ROOT, env=env).returncode


if __name__ == "__main__":
    # A TERM (a CI's stop, a kill) unwinds like Ctrl+C, through the restore.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # --list | head
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit(130)
