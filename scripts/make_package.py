#!/usr/bin/python3
"""Writes the release: a zip and a 1.44 MB floppy image, each holding
ZEPHO.EXE, the manual ZEPHO.TXT (which ends with the licence) and the two
batch files under upper-case 8.3 names, in a fixed order with fixed dates
and attributes, so the same tree gives the same bytes wherever it is built.

The manual is docs/zepho.txt with its status tables made from the program's
own release tables (printed by the host-built zepho_tables), and its sample
run and failure taken from the very ZEPHO.EXE being packed, run on the
emulated CPU of tools/emulated_windows.py. Prints the zip's and the image's
paths and SHA-256 as its last two lines.
"""
import argparse
import hashlib
import itertools
import os
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from emulated_windows import Machine, Scenario  # noqa: E402
from host_build import build_host_target  # noqa: E402

COLUMNS = 79
SE = (1, 4, 10, 0x040A08AE, b" A ")  # Windows 98 Second Edition as it fills the record


def release_tables(tables_tool):
    """{"verbose": [...], "major": [...]} of (status, platform, builds, name)."""
    printed = subprocess.run([tables_tool], capture_output=True, text=True, check=True).stdout
    rows = [line.split("\t") for line in printed.splitlines()]
    tables = {}
    for mode in ("verbose", "major"):
        grouped = {}
        for _, status, platform, build, name in (row for row in rows if row[0] == mode):
            platform = "NT" if platform == "2" else "9x"
            name = name.strip() + (" <service pack>" if platform == "NT" else "")
            grouped.setdefault((int(status), platform, name), []).append(build)
        tables[mode] = [(status, platform, builds, name) for (status, platform, name), builds in grouped.items()]
    for _, status, _, build, marker, suffix in (row for row in rows if row[0] == "terminal"):
        base = next(row for row in tables["verbose"] if build in row[2])
        tables["verbose"].append((int(status), "NT", [build], f"{base[3]}{suffix}\n"
                                  f"(/TERMINALS given, {marker} set)"))
    tables["all"] = [(int(verbose), int(major), version, builds, name.strip())
                     for _, verbose, major, version, _, builds, name in (row for row in rows if row[0] == "all")]
    for mode, column, statuses in (("verbose", 0, range(1, 16)), ("major", 0, range(1, 8)),
                                   ("all", 0, range(16, 33)), ("all", 1, range(8, 16))):
        given = {row[column] for row in tables[mode]}
        if given != set(statuses):
            sys.exit(f"make_package: the {mode} table gives statuses {sorted(given)}")
    return tables


def status_table(rows):
    lines = ["  Status  Platform  Build        Release"]
    for status, platform, builds, name in sorted(rows, key=lambda row: -row[0]):
        pairs = [", ".join(builds[i:i + 2]) + ("," if i + 2 < len(builds) else "") for i in range(0, len(builds), 2)]
        for i, (build, text) in enumerate(itertools.zip_longest(pairs, name.split("\n"), fillvalue="")):
            lines.append(f"  {status if i == 0 else '':>6}  {platform if i == 0 else '':<8}  {build:<11}  {text}".rstrip())
    return "\n".join(lines)


def later_releases(rows):
    """(verbose, major, version, builds, release) of each /ALL row, in words, newest first."""
    spans = {"0-65535": "any"}
    for verbose, major, version, builds, name in sorted(rows, reverse=True):
        first, last = builds.split("-")
        builds = spans.get(builds) or (f"to {last}" if first == "0" else f"{first} on" if last == "65535" else builds)
        name = "Windows " + (f"{name} <major>.<minor>" if version == "above 10.0" else name)
        yield str(verbose), str(major), version.replace("above", "over"), builds, name


def later_table(rows):
    lines = ["  Verbose  Major  Version    Builds       Release"]
    lines += [f"  {v:>7}  {m:>5}  {version:<9}  {builds:<11}  {name}" for v, m, version, builds, name in later_releases(rows)]
    return "\n".join(lines)


def readme_table(rows):
    """The README's table of /ALL statuses, which must read as the program's own table."""
    lines = ["| `/VERBOSE /ALL` | `/ALL` | version | builds | release |", "|---|---|---|---|---|"]
    return "\n".join(lines + ["| " + " | ".join(row) + " |" for row in later_releases(rows)])


def indented(data):
    return "\n".join("  " + line for line in data.decode("ascii").replace("\r\n", "\n").rstrip("\n").split("\n"))


def manual(source, exe, version, tables_tool):
    tables = release_tables(tables_tool)
    machine = Machine(exe)
    sample = machine.run(Scenario("sample", b"ZEPHO /VERBOSE", SE, kind="char"))
    failed = machine.run(Scenario("failure", b"ZEPHO /VERBOSE", SE, kind="disk", fail_from=1, fail_code=112))
    with open(os.path.join(source, "docs/zepho.txt")) as f:
        text = f.read()
    with open(os.path.join(source, "LICENSE")) as f:
        licence = f.read().rstrip("\n")
    for key, value in {"VERSION": version, "VERBOSE_STATUSES": status_table(tables["verbose"]),
                       "MAJOR_STATUSES": status_table(tables["major"]), "ALL_STATUSES": later_table(tables["all"]),
                       "SAMPLE_STATUS": str(sample.status), "LICENSE": licence,
                       "SAMPLE_RUN": "  C:\\>ZEPHO /VERBOSE\n" + indented(sample.out),
                       "FAILURE_SAMPLE": "  C:\\>ZEPHO /VERBOSE > A:\\RELEASE.TXT\n" + indented(failed.out + failed.err)
                       }.items():
        text = text.replace(f"@{key}@", value)
    with open(os.path.join(source, "README.md")) as f:
        if readme_table(tables["all"]) not in f.read():
            sys.exit("make_package: README.md's table of /ALL statuses differs from the program's; it reads:\n"
                     + readme_table(tables["all"]))
    long = [line for line in text.split("\n") if len(line) > COLUMNS]
    if long or "@" in text.replace("@ECHO", "") or not text.isascii():
        sys.exit(f"make_package: the manual has a placeholder left, a byte beyond ASCII or lines over "
                 f"{COLUMNS} columns: {long}")
    return text.replace("\n", "\r\n").encode("ascii")


def source_stamp(source):
    """The last commit's time, or SOURCE_DATE_EPOCH, in seconds, even as a zip and FAT keep them."""
    stamp = os.environ.get("SOURCE_DATE_EPOCH")
    if stamp is None:
        done = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"], capture_output=True, text=True)
        stamp = done.stdout.strip() or "315532800"  # 1980-01-01, the first date a zip holds
    return int(stamp) // 2 * 2


def write_zip(path, entries, stamp):
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=time.gmtime(stamp)[:6])
            info.create_system = 0  # MS-DOS: attributes as FAT keeps them
            info.external_attr = 0x20  # the archive bit, nothing else
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)


def write_floppy(path, entries, stamp):
    """A 1,474,560-byte FAT12 image: volume label ZEPHO, a fixed serial number, the entries in order with
    the zip's date (mtools takes the dates it writes itself from SOURCE_DATE_EPOCH)."""
    env = dict(os.environ, TZ="UTC", SOURCE_DATE_EPOCH=str(stamp))
    if os.path.exists(path):
        os.remove(path)
    subprocess.run(["mformat", "-i", path, "-C", "-f", "1440", "-v", "ZEPHO", "-N", "5A455048", "::"],
                   env=env, check=True)
    with tempfile.TemporaryDirectory() as folder:
        for name, data in entries:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            os.utime(os.path.join(folder, name), (stamp, stamp))
            subprocess.run(["mcopy", "-i", path, "-m", os.path.join(folder, name), "::" + name], env=env, check=True)


def tables_tool_built():
    """The host preset's zepho_tables, built when needed."""
    build_host_target("zepho_tables")
    return os.path.join(ROOT, "build/host/zepho_tables")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--source", default=ROOT)
    parser.add_argument("--out", default=os.path.join(ROOT, "dist"))
    parser.add_argument("--record", help="a file to write the last two lines to as well")
    parser.add_argument("--tables", help="zepho_tables; by default the host preset's, built when needed")
    args = parser.parse_args()

    with open(args.exe, "rb") as f:
        exe = f.read()
    examples = os.path.join(args.source, "examples")
    entries = [("ZEPHO.EXE", exe), ("ZEPHO.TXT", manual(args.source, args.exe, args.version,
                                                        args.tables or tables_tool_built()))]
    for name in ("whichwin.bat", "whichmaj.bat"):
        with open(os.path.join(examples, name), "rb") as f:
            entries.append((name.upper(), f.read()))
    os.makedirs(args.out, exist_ok=True)
    stamp, lines = source_stamp(args.source), []
    for suffix, write in ((".zip", write_zip), (".img", write_floppy)):
        path = os.path.join(args.out, f"zepho-{args.version}{suffix}")
        write(path, entries, stamp)
        with open(path, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        shown = os.path.relpath(path, args.source) if path.startswith(args.source) else path
        lines.append(f"{shown} SHA-256 {digest}")
    print("\n".join(lines))
    if args.record:
        with open(args.record, "w") as f:
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
