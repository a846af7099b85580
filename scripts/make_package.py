#!/usr/bin/python3
"""Writes the release zip: ZEPHO.EXE, the manual ZEPHO.TXT and the two batch
files, under upper-case 8.3 names, in a fixed order with fixed dates and
attributes, so the same tree gives the same bytes wherever it is built.

The manual is docs/zepho.txt with its status tables made from the release
tables in src/classify/release_tables.cc, and its sample run and failure
taken from the very ZEPHO.EXE being packed, run on the emulated CPU of the
tests. Prints the zip's path and SHA-256 as its last line.
"""
import argparse
import hashlib
import itertools
import os
import re
import subprocess
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "cpu"))
from run_cpu_rows import Machine, Scenario  # noqa: E402

COLUMNS = 79
SE = (1, 4, 10, 0x040A08AE, b" A ")  # Windows 98 Second Edition as it fills the record


def release_tables(source):
    """{"verbose": [...], "major": [...]} of (status, platform, builds, name)."""
    with open(os.path.join(source, "src/classify/release_tables.cc")) as f:
        text = f.read()
    tables = {}
    for mode, array in (("verbose", "kVerbose"), ("major", "kMajor")):
        body = re.search(array + r"\[\] = \{(.*?)\n\};", text, re.S).group(1)
        grouped = {}
        for build, platform, status, name in re.findall(r'\{(\d+), (k95|kNt), (\d+), "([^"]*)"\}', body):
            platform = "NT" if platform == "kNt" else "9x"
            name = name.strip() + (" <service pack>" if platform == "NT" else "")
            grouped.setdefault((int(status), platform, name), []).append(build)
        tables[mode] = [(status, platform, builds, name) for (status, platform, name), builds in grouped.items()]
    for build, status, marker, suffix in re.findall(r'\{(\d+), (\d+), "(\w+)", "([^"]*)"\}', text):
        base = next(row for row in tables["verbose"] if build in row[2])
        tables["verbose"].append((int(status), "NT", [build], f"{base[3]}{suffix}\n"
                                  f"(/TERMINALS given, {marker} set)"))
    for mode, top in (("verbose", 15), ("major", 7)):
        statuses = {row[0] for row in tables[mode]}
        if statuses != set(range(1, top + 1)):
            sys.exit(f"make_package: the {mode} table gives statuses {sorted(statuses)}")
    return tables


def status_table(rows):
    lines = ["  Status  Platform  Build        Release"]
    for status, platform, builds, name in sorted(rows, key=lambda row: -row[0]):
        pairs = [", ".join(builds[i:i + 2]) + ("," if i + 2 < len(builds) else "") for i in range(0, len(builds), 2)]
        for i, (build, text) in enumerate(itertools.zip_longest(pairs, name.split("\n"), fillvalue="")):
            lines.append(f"  {status if i == 0 else '':>6}  {platform if i == 0 else '':<8}  {build:<11}  {text}".rstrip())
    return "\n".join(lines)


def indented(data):
    return "\n".join("  " + line for line in data.decode("ascii").replace("\r\n", "\n").rstrip("\n").split("\n"))


def manual(source, exe, version):
    tables = release_tables(source)
    machine = Machine(exe)
    sample = machine.run(Scenario("sample", b"ZEPHO /VERBOSE", SE, kind="char"))
    failed = machine.run(Scenario("failure", b"ZEPHO /VERBOSE", SE, kind="disk", fail_from=1, fail_code=112))
    with open(os.path.join(source, "docs/zepho.txt")) as f:
        text = f.read()
    for key, value in {"VERSION": version, "VERBOSE_STATUSES": status_table(tables["verbose"]),
                       "MAJOR_STATUSES": status_table(tables["major"]), "SAMPLE_STATUS": str(sample.status),
                       "SAMPLE_RUN": "  C:\\>ZEPHO /VERBOSE\n" + indented(sample.out),
                       "FAILURE_SAMPLE": "  C:\\>ZEPHO /VERBOSE > A:\\RELEASE.TXT\n" + indented(failed.out + failed.err)
                       }.items():
        text = text.replace(f"@{key}@", value)
    long = [line for line in text.split("\n") if len(line) > COLUMNS]
    if long or "@" in text.replace("@ECHO", "") or not text.isascii():
        sys.exit(f"make_package: the manual has a placeholder left, a byte beyond ASCII or lines over "
                 f"{COLUMNS} columns: {long}")
    return text.replace("\n", "\r\n").encode("ascii")


def source_date(source):
    """The last commit's time, or SOURCE_DATE_EPOCH, as a zip entry date."""
    stamp = os.environ.get("SOURCE_DATE_EPOCH")
    if stamp is None:
        done = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"], capture_output=True, text=True)
        stamp = done.stdout.strip() or "315532800"  # 1980-01-01, the first date a zip holds
    return time.gmtime(int(stamp))[:6]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--source", default=ROOT)
    parser.add_argument("--out", default=os.path.join(ROOT, "dist"))
    parser.add_argument("--record", help="a file to write the last line to as well")
    args = parser.parse_args()

    with open(args.exe, "rb") as f:
        exe = f.read()
    examples = os.path.join(args.source, "examples")
    entries = [("ZEPHO.EXE", exe), ("ZEPHO.TXT", manual(args.source, args.exe, args.version))]
    for name in ("whichwin.bat", "whichmaj.bat"):
        with open(os.path.join(examples, name), "rb") as f:
            entries.append((name.upper(), f.read()))
    os.makedirs(args.out, exist_ok=True)
    path = os.path.join(args.out, f"zepho-{args.version}.zip")
    date = source_date(args.source)
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 0  # MS-DOS: attributes as FAT keeps them
            info.external_attr = 0x20  # the archive bit, nothing else
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    shown = os.path.relpath(path, args.source) if path.startswith(args.source) else path
    line = f"{shown} SHA-256 {digest}"
    print(line)
    if args.record:
        with open(args.record, "w") as f:
            f.write(line + "\n")


if __name__ == "__main__":
    main()
