#!/usr/bin/python3
"""Writes the release: a zip and a 1.44 MB floppy image, each holding
ZEPHO.EXE, ZEPHO64.EXE and ZEPHOA64.EXE, the manual ZEPHO.TXT (which ends
with the licence), the loader ZEPHOSET.BAT, the two batch files and
SHA256.TXT, the SHA-256 of each other file as `sha256sum -c` reads it,
under upper-case 8.3 names, in a fixed order with fixed dates and
attributes, so the same tree gives the same bytes wherever it is built.
With --sign FILE.pfx (or ZEPHO_SIGN_FILE) the three programs are signed first (Authenticode,
SHA-256, by osslsigncode), with the password in ZEPHO_SIGN_PASSWORD and,
where ZEPHO_SIGN_TIMESTAMP names one, an RFC 3161 timestamp server.

The manual is docs/zepho.txt with its status tables made from the program's
own release tables (tools/regenerate.py), and its sample
run and failure taken from the very ZEPHO.EXE being packed, run on the
emulated CPU of tools/emulated_windows.py. Prints the zip's and the image's
paths and SHA-256 as its last two lines.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from emulated_windows import Machine, Scenario  # noqa: E402
from regenerate import manual_parts, read_tables  # noqa: E402

COLUMNS = 79
SE = (1, 4, 10, 0x040A08AE, b" A ")  # Windows 98 Second Edition as it fills the record


def indented(data):
    return "\n".join("  " + line for line in data.decode("ascii").replace("\r\n", "\n").rstrip("\n").split("\n"))


def manual(source, exe, version, tables_tool):
    tables = read_tables(tables_tool)
    machine = Machine(exe)
    sample = machine.run(Scenario("sample", b"ZEPHO /VERBOSE", SE, kind="char"))
    failed = machine.run(Scenario("failure", b"ZEPHO /VERBOSE", SE, kind="disk", fail_from=1, fail_code=112))
    with open(os.path.join(source, "docs/zepho.txt")) as f:
        text = f.read()
    with open(os.path.join(source, "LICENSE")) as f:
        licence = f.read().rstrip("\n")
    for key, value in {"VERSION": version, **manual_parts(tables), "SAMPLE_STATUS": str(sample.status),
                       "LICENSE": licence,
                       "SAMPLE_RUN": "  C:\\>ZEPHO /VERBOSE\n" + indented(sample.out),
                       "FAILURE_SAMPLE": "  C:\\>ZEPHO /VERBOSE > A:\\RELEASE.TXT\n" + indented(failed.out + failed.err)
                       }.items():
        text = text.replace(f"@{key}@", value)
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


def signed(entries, pfx):
    """The entries with each program signed by osslsigncode; where it cannot sign one, the program ends
    with a message and status 1 before anything is written."""
    if not os.path.isfile(pfx):
        sys.exit(f"package: {pfx}: no such file to sign with")
    timestamp = os.environ.get("ZEPHO_SIGN_TIMESTAMP")
    result = []
    with tempfile.TemporaryDirectory() as folder:
        for name, data in entries:
            if name.endswith(".EXE"):
                unsigned, out = os.path.join(folder, name), os.path.join(folder, "signed")
                with open(unsigned, "wb") as f:
                    f.write(data)
                done = subprocess.run(["osslsigncode", "sign", "-pkcs12", pfx, "-readpass", "-", "-h", "sha256",
                                       "-n", "zepho", *(["-ts", timestamp] if timestamp else []),
                                       "-in", unsigned, "-out", out],
                                      input=os.environ.get("ZEPHO_SIGN_PASSWORD", "").encode(), capture_output=True)
                if done.returncode != 0 or not os.path.exists(out):
                    said = (done.stderr or done.stdout).decode("latin-1").strip().splitlines()
                    sys.exit(f"package: osslsigncode did not sign {name} with {pfx} (a wrong password in "
                             f"ZEPHO_SIGN_PASSWORD, or a certificate it refuses): {said[-1] if said else ''}")
                with open(out, "rb") as f:
                    data = f.read()
                os.remove(out)
            result.append((name, data))
    return result


def hashes(entries):
    """SHA256.TXT: a line for each file, 64 hex digits, two blanks and its name, CR LF."""
    return "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\r\n" for name, data in entries).encode("ascii")


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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--exe64", help="ZEPHO64.EXE, for the release")
    parser.add_argument("--exea64", help="ZEPHOA64.EXE, for the release")
    parser.add_argument("--version", required=True)
    parser.add_argument("--source", default=ROOT)
    parser.add_argument("--out", default=os.path.join(ROOT, "dist"))
    parser.add_argument("--record", help="a file to write the last two lines to as well")
    parser.add_argument("--tables", help="zepho_tables; by default the host preset's, built when needed")
    parser.add_argument("--sign", default=os.environ.get("ZEPHO_SIGN_FILE"),
                        help="a PKCS#12 file to sign the programs with; by default ZEPHO_SIGN_FILE, if set")
    args = parser.parse_args()

    with open(args.exe, "rb") as f:
        exe = f.read()
    examples = os.path.join(args.source, "examples")
    entries = [("ZEPHO.EXE", exe)]
    for name, path in (("ZEPHO64.EXE", args.exe64), ("ZEPHOA64.EXE", args.exea64)):
        if path:
            with open(path, "rb") as f:
                entries.append((name, f.read()))
    entries.append(("ZEPHO.TXT", manual(args.source, args.exe, args.version, args.tables)))
    for name in ("zephoset.bat", "whichwin.bat", "whichmaj.bat"):
        with open(os.path.join(examples, name), "rb") as f:
            entries.append((name.upper(), f.read()))
    if args.sign:
        entries = signed(entries, args.sign)
    entries.append(("SHA256.TXT", hashes(entries)))
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
