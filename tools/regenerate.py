#!/usr/bin/python3
"""Everything that lists zepho's releases or statuses, made from the
program's own tables (printed by the host-built zepho_tables, built when
needed): the ladders of examples/whichwin.bat and whichmaj.bat, the
README's status tables and the sentences around them, and the manual's
tables, which scripts/make_package.py fills in when it packs.

    /usr/bin/python3 tools/regenerate.py           rewrites the copies in the tree
    /usr/bin/python3 tools/regenerate.py --check   fails when one is out of date

Each made part of a file sits between a line that names its part and a line
"end of NAME"; only that part is rewritten.
"""
import argparse
import itertools
import os
import re
import subprocess
import sys
import textwrap

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from host_build import build_host_target  # noqa: E402

COMMAND = "/usr/bin/python3 tools/regenerate.py"
MODES = {"verbose": "whichwin.bat", "major": "whichmaj.bat"}  # the batch file of each mode
CHANGELOG = os.path.join(ROOT, "CHANGELOG.md")
RECORD_HEADING = "## Statuses ever given under /ALL"
RECORD_ROW = re.compile(r"^\| (\d+) \| (\d+) \| (.+?) \| (\S+) \|$", re.M)
RETIRED = "retired: "


def read_record(path=CHANGELOG):
    """[(verbose, major, release, since)]: every status ever given under /ALL, from the hand-written list
    at the end of CHANGELOG.md."""
    with open(path) as f:
        parts = f.read().split(RECORD_HEADING)
    if len(parts) != 2:
        sys.exit(f"regenerate: {path} must hold the heading {RECORD_HEADING!r} once")
    return [(int(v), int(m), release, since) for v, m, release, since in RECORD_ROW.findall(parts[1])]


def record_problems(tables, record):
    """Where the program's /ALL table breaks the record of statuses ever given: a release whose statuses
    changed, a status given to another release, a release or status the record lacks."""
    problems = []
    for verbose, major, *_, name in tables["all"]:
        release = "Windows " + name
        lines = [row for row in record if row[2] == release]
        if len(lines) != 1:
            problems.append(f"{release} has {len(lines)} lines in the statuses ever given (CHANGELOG.md), "
                            f"not one; a new release takes the next status above every one there")
        elif lines[0][:2] != (verbose, major):
            problems.append(f"the table gives {release} statuses {verbose} and {major}; it was given "
                            f"{lines[0][0]} and {lines[0][1]} (CHANGELOG.md), which stay its own for good")
        for other_verbose, other_major, other, _ in record:
            if other != release and (other_verbose == verbose or
                                     (other_major == major and other.startswith(RETIRED))):
                problems.append(f"the table gives {release} status {verbose} ({major}), which was given "
                                f"to {other} (CHANGELOG.md)")
    top = tables["newer"][0]
    if not any(row[:2] == (top, top) and not row[2].startswith(RETIRED) for row in record):
        problems.append(f"CHANGELOG.md has no line for status {top}, an NT newer than every release named")
    return problems


def retired(tables, mode):
    """{status: what it named} of the statuses of the mode that no zepho gives any more."""
    column = 0 if mode == "verbose" else 1
    return {row[column]: row[2][len(RETIRED):] for row in tables["record"] if row[2].startswith(RETIRED)}


def first_free(tables, mode):
    """The status that the next release named in the mode takes."""
    column = 0 if mode == "verbose" else 1
    top = tables["newer"][0]
    given = [row[column] for row in tables["record"] if row[column] != top]
    return max(given + list(names_by_status(tables, mode))) + 1


def read_tables(tool=None):
    """The program's rows: {"verbose", "major": [(status, platform, build, name)], "terminal": [(status, build,
    marker, suffix, name of the verbose row of that build)], "all": [(verbose, major, version, kind, first, last,
    name)], "newer": (status, from major)}."""
    if tool is None:
        build_host_target("zepho_tables")
        tool = os.path.join(ROOT, "build/host/zepho_tables")
    tables = {"verbose": [], "major": [], "terminal": [], "all": []}
    for fields in (line.split("\t") for line in subprocess.run([tool], capture_output=True, text=True,
                                                               check=True).stdout.splitlines()):
        kind, rest = fields[0], fields[1:]
        if kind in ("verbose", "major"):
            tables[kind].append((int(rest[0]), int(rest[1]), int(rest[2]), rest[3]))
        elif kind == "terminal":
            base = next(name for _, _, build, name in tables["verbose"] if build == int(rest[2]))
            tables[kind].append((int(rest[0]), int(rest[2]), rest[3], rest[4], base.strip()))
        elif kind == "all":
            first, last = map(int, rest[4].split("-"))
            tables[kind].append((int(rest[0]), int(rest[1]), rest[2], rest[3], first, last, rest[5]))
        else:
            tables["newer"] = (int(rest[0]), int(rest[1]))
    tables["record"] = read_record()
    return tables


def names_by_status(tables, mode, later=True):
    """{status: [release names]} for every status the mode gives (under /ALL when `later`) but 0 and the
    newer-NT one."""
    names = {}
    for status, _, build, name in tables[mode]:
        names.setdefault(status, []).append(name.strip())
    if mode == "verbose":
        for status, _, _, suffix, base in tables["terminal"]:
            names[status] = [base + suffix]
    for verbose, major, *_, name in tables["all"] if later else []:
        names.setdefault(verbose if mode == "verbose" else major, []).append(name)
    return {status: list(dict.fromkeys(found)) for status, found in sorted(names.items())}


def statuses(tables, mode):
    """Every status the mode gives under /ALL, 0 and the newer-NT status included, lowest first."""
    named = names_by_status(tables, mode)
    ever = sorted(set(named) | set(retired(tables, mode)))
    if ever != list(range(1, len(ever) + 1)):
        sys.exit(f"regenerate: the {mode} statuses given and retired, {ever}, are not 1 to {len(ever)} "
                 f"without a gap")
    return [0, *named, tables["newer"][0]]


def release_words(names):
    text = "Windows " + names[0]
    return text + "".join((" or " if i == len(names) - 1 else ", ") + name for i, name in enumerate(names[1:], 1))


def ladder(tables, mode):
    """The made part of a batch file: IF ERRORLEVEL from the highest status down, a line for each."""
    named = names_by_status(tables, mode)
    top = tables["newer"][0]
    free = first_free(tables, mode)
    old = retired(tables, mode)
    said = {top: f"Windows NT newer than this ZEPHO.EXE names ({mode} status {top})",
            "newer": f"A release only a newer ZEPHO.EXE names ({mode} status {free} to {top - 1})"}
    for status in sorted(set(named) | set(old), reverse=True):
        words = release_words(named[status]) if status in named else old[status]
        said[status] = f"{words} ({mode} status {status})"
    said[0] = f"Not recognised, or not on Windows ({mode} status 0)"
    lines = [f"rem The rest is made by {COMMAND} from the tables.",
             f"if errorlevel {top} goto s{top}", f"if errorlevel {free} goto newer"]
    for status in said:
        if status not in (top, "newer", 0):
            lines.append(f"if errorlevel {status} goto s{status}")
    lines.append("goto s0")
    for label, text in said.items():
        lines += [f":{label}" if label == "newer" else f":s{label}", f"echo {text}", "goto end"]
    lines += [":notfound", "set ZEPHOFOUND=", "echo ZEPHO.EXE not found: put it in the current folder or on the PATH",
              "goto end", ":noloader", "echo ZEPHOSET.BAT not found: keep it beside this file", ":end"]
    return "\r\n".join(lines) + "\r\n"


def later_rows(tables):
    """(verbose, major, version, builds, release) of each /ALL row in words, the newer-NT rule first."""
    top, since = tables["newer"]
    rows = [(str(top), str(top), f"{since}.0 on", "the rest", "Windows NT <major>.<minor>")]
    for verbose, major, version, _, first, last, name in sorted(tables["all"], reverse=True):
        builds = "any" if (first, last) == (0, 65535) else f"to {last}" if first == 0 else \
            str(first) if first == last else f"{first} on" if last == 65535 else f"{first}-{last}"
        rows.append((str(verbose), str(major), version, builds, f"Windows {name}"))
    return rows


# How a made batch example runs ZEPHO: through ZEPHOSET.BAT, which leaves
# ZEPHO_STATUS empty and says why where zepho did not run, then the status
# handed to IF ERRORLEVEL (cmd.exe).
RUN_ZEPHO = ["set ZEPHO_STATUS=", r'call "%~dp0ZEPHOSET.BAT" /VERBOSE /ALL', 'if "%ZEPHO_STATUS%"=="" goto end',
             "cmd /c exit %ZEPHO_STATUS%"]


def kind_script(tables, upper=False):
    """A batch file for cmd.exe that tells a server from a workstation by the /VERBOSE /ALL status: for each
    run of statuses of one kind, IF ERRORLEVEL its first IF NOT ERRORLEVEL the one past its last."""
    lines = ["@echo off"] + RUN_ZEPHO
    kinds = sorted((verbose, kind) for verbose, _, _, kind, *_ in tables["all"])
    for kind, run in itertools.groupby(kinds, key=lambda row: row[1]):
        run = [status for status, _ in run]
        lines.append(f"if errorlevel {run[0]} if not errorlevel {run[-1] + 1} goto {kind}")
    lines += [f"if errorlevel {kinds[-1][0] + 1} goto newer", "echo Windows 95 to XP, or not recognised", "goto end",
              ":workstation", "echo A workstation: XP x64, Vista, 7 or a later desktop Windows", "goto end",
              ":server", "echo A server or domain controller", "goto end",
              ":newer", "echo Newer than every release in this list", ":end"]
    if upper:
        lines = [line.upper().replace("WINDOWS_NT", "Windows_NT").replace("%~DP0", "%~dp0")
                 if not line.startswith("echo ") else "ECHO" + line[4:] for line in lines]
    return "\n".join(lines)


def newest(tables):
    """The newest workstation and server that /ALL names, in words."""
    latest = {kind: name for _, _, _, kind, _, _, name in sorted(tables["all"])}
    return f"Windows {latest['workstation']} and Windows {latest['server']}"


def range_ends(tables):
    """Where the ranges of the newest workstation and server end, a paragraph."""
    newest = {}
    for _, _, _, kind, _, last, name in sorted(tables["all"]):
        newest[kind] = (name, last)
    ws, ws_last = newest["workstation"]
    server, server_last = newest["server"]
    return textwrap.fill(f"Windows {ws}'s range runs to build {ws_last} and Windows {server}'s to {server_last}: "
                         f"a later 10.0 build of either kind is {tables['newer'][0]}.", 72)


def readme_parts(tables):
    top = tables["newer"][0]
    verbose, major = names_by_status(tables, "verbose", False), names_by_status(tables, "major", False)
    old = [(s, verbose[s], major.get(s, [])) for s in reversed(verbose)]
    return {
        "opening": f"zepho tells a person or a batch file which Windows release it runs on: with\n"
                   f"`/ALL`, every release from Windows 95 to {newest(tables)},\n"
                   f"and any newer Windows NT as such (status {top}); without it, Windows 95 to XP.\n"
                   "It prints the system's version record and a line naming the release, and\n"
                   "ends with an exit status that encodes the release, so a batch file can\n"
                   "branch on it with `IF ERRORLEVEL`.",
        "statuses": "\n".join(["| status | `/VERBOSE` | `/MAJOR` (default) |", "|---|---|---|"] + [
            f"| {s} | {release_words(v)} | {release_words(m) if m else ''} |" for s, v, m in old] + [
            "| 0 | not recognised (NT 3.51; without `/ALL` also Server 2003, Vista and later), `/HELP`, or not on "
            "Windows (see below) | the same |"]),
        "all-statuses": "\n".join(["| `/VERBOSE /ALL` | `/ALL` | version | builds | release |", "|---|---|---|---|---|"]
                                  + ["| " + " | ".join(row) + " |" for row in later_rows(tables)]),
        "kinds": "```bat\n" + kind_script(tables) + "\n```",
        "range-ends": range_ends(tables),
    }


def status_table(rows):
    """The manual's table of a mode: status, platform, builds, release."""
    grouped = {}
    for status, platform, build, name in rows:
        platform = "NT" if platform == 2 else "9x"
        name = name.strip() + (" <service pack>" if platform == "NT" and "<" not in name else "")
        grouped.setdefault((status, platform, name), []).append(str(build))
    lines = ["  Status  Platform  Build        Release"]
    for (status, platform, name), builds in sorted(grouped.items(), key=lambda item: -item[0][0]):
        pairs = [", ".join(builds[i:i + 2]) + ("," if i + 2 < len(builds) else "") for i in range(0, len(builds), 2)]
        for i, (build, text) in enumerate(itertools.zip_longest(pairs, name.split("\n"), fillvalue="")):
            lines.append(f"  {status if i == 0 else '':>6}  {platform if i == 0 else '':<8}  {build:<11}  {text}".rstrip())
    return "\n".join(lines)


def manual_parts(tables):
    """The manual's placeholders that come from the tables."""
    for mode in MODES:
        statuses(tables, mode)  # stops on a gap
    verbose = list(tables["verbose"])
    for status, build, marker, suffix, base in tables["terminal"]:
        verbose.append((status, 2, build, f"{base} <service pack>{suffix}\n(/TERMINALS given, {marker} set)"))
    later = ["  Verbose  Major  Version    Builds       Release"]
    later += [f"  {v:>7}  {m:>5}  {version:<9}  {builds:<11}  {name}"
              for v, m, version, builds, name in later_rows(tables)]
    script = "\n".join("  " + line for line in kind_script(tables, upper=True).split("\n"))
    retired_lines = [f"  {v} ({m} without /VERBOSE): {release[len(RETIRED):]}"
                     for v, m, release, _ in tables["record"] if release.startswith(RETIRED)]
    return {"VERBOSE_STATUSES": status_table(verbose), "MAJOR_STATUSES": status_table(tables["major"]),
            "RETIRED": "\n".join(retired_lines),
            "ALL_STATUSES": "\n".join(later), "NEWEST": newest(tables), "KINDS": script,
            "RANGE_ENDS": range_ends(tables),
            "TOP": str(tables["newer"][0])}


def replace_part(text, name, part, body):
    """The text with the made part between its two marker lines replaced; stops when a marker is missing
    or doubled, or the end comes before the start."""
    start = f"<!-- made by tools/regenerate.py: {part} -->\n"
    end = f"\n<!-- end of {part} -->"
    if text.count(start) != 1 or text.count(end) != 1 or text.index(start) > text.index(end):
        sys.exit(f"regenerate: {name} must hold {start.strip()!r} once and after it {end.strip()!r} once")
    head, rest = text.split(start)
    tail = rest.split(end)[1]
    return head + start + body + end + tail


def made_files(tables):
    """{path: text} of every file in the tree with a made part, as it should read."""
    problems = record_problems(tables, tables["record"])
    if problems:
        sys.exit("regenerate: " + "\nregenerate: ".join(problems))
    files = {}
    for mode, name in MODES.items():
        statuses(tables, mode)  # stops on a gap
        path = os.path.join(ROOT, "examples", name)
        with open(path, "rb") as f:
            text = f.read().decode("ascii")
        marker = "rem The rest is made by"
        if text.count(marker) != 1:
            sys.exit(f"regenerate: examples/{name} must hold {marker!r} once")
        files[path] = text[:text.index(marker)] + ladder(tables, mode)
    path = os.path.join(ROOT, "README.md")
    with open(path) as f:
        text = f.read()
    for part, body in readme_parts(tables).items():
        text = replace_part(text, "README.md", part, body)
    files[path] = text
    return files


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check", action="store_true", help="only fail when a made part is out of date")
    parser.add_argument("--tables", help="zepho_tables; by default the host preset's, built when needed")
    args = parser.parse_args()
    stale = []
    for path, text in made_files(read_tables(args.tables)).items():
        with open(path, "rb") as f:
            if f.read().decode("ascii") == text:
                continue
        stale.append(os.path.relpath(path, ROOT))
        if not args.check:
            with open(path, "wb") as f:
                f.write(text.encode("ascii"))
    if args.check and stale:
        sys.exit(f"regenerate: {', '.join(stale)} out of date with the program's tables; run {COMMAND}")
    print(f"regenerate: {'rewrote ' + ', '.join(stale) if stale else 'everything is up to date'}")


if __name__ == "__main__":
    main()
