#!/usr/bin/python3
"""Builds the release zip from two copies of the tree in folders of different
names and depths, checks that the two zips are the same bytes, and checks
what the zip holds: 8.3 names in a fixed order, the built exe byte for byte,
ASCII text with CR LF line ends in at most 79 columns, one version
throughout, and batch files that COMMAND.COM runs as well as cmd.exe, but
the loader, which is for cmd.exe.
The floppy images are checked alike: the same bytes, the zip's files.
SHA256.TXT holds what `sha256sum -c` finds true of the others, each
program's hash is the same from both folders and the one CHANGELOG.md
gives for this version. Last, the programs signed with a throwaway
certificate pass osslsigncode's verify, check_pe.py and print under Wine
what the unsigned ones print; a wrong password writes nothing.
Prints one line per problem.
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import pefile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, ROOT)
from tests.rows import CMD_ONLY  # noqa: E402
from tests.wine.wine_session import WineSession  # noqa: E402

NAMES = ["ZEPHO.EXE", "ZEPHO64.EXE", "ZEPHOA64.EXE", "ZEPHO.TXT", "ZEPHOSET.BAT", "WHICHWIN.BAT", "WHICHMAJ.BAT",
         "SHA256.TXT"]
BUILT = {"ZEPHO.EXE": "build/win32/zepho.exe", "ZEPHO64.EXE": "build/win64/zepho64.exe",
         "ZEPHOA64.EXE": "build/arm64/zephoa64.exe"}


def build_copy(where, stamp):
    files = subprocess.run(["git", "-C", ROOT, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                           capture_output=True, check=True).stdout.decode().split("\0")
    for name in filter(None, files):
        if os.path.exists(os.path.join(ROOT, name)):
            os.makedirs(os.path.dirname(os.path.join(where, name)), exist_ok=True)
            shutil.copy2(os.path.join(ROOT, name), os.path.join(where, name))
    env = dict(os.environ, SOURCE_DATE_EPOCH=stamp)
    for command in (["cmake", "--preset", "win32"], ["cmake", "--build", "--preset", "win32", "--target", "package_zip"]):
        subprocess.run(command, cwd=where, env=env, check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(where, "build/win32/package.txt")) as f:
        zip_path, img_path = (os.path.join(where, line.split()[0]) for line in f.read().splitlines())
    return zip_path, img_path, where


def text_problems(name, data):
    problems = []
    if not data.isascii():
        problems.append(f"{name} holds bytes beyond ASCII")
    lines = data.split(b"\r\n")
    if lines[-1] != b"" or any(b"\r" in line or b"\n" in line for line in lines):
        problems.append(f"{name} has line ends other than CR LF")
    problems += [f"{name} line {i + 1} has {len(line)} columns" for i, line in enumerate(lines) if len(line) > 79]
    return problems


def batch_problems(name, text):
    """What COMMAND.COM would trip on, from the :dos label on, and labels it cannot tell apart."""
    dos = text[text.lower().index(":dos\r\n"):]
    problems = [f"{name}: {match.group().strip()!r} is cmd.exe only" for match in CMD_ONLY.finditer(dos)]
    labels = [label.lower()[:8] for label in re.findall(r"^:(\S+)", text, re.M)]
    if len(labels) != len(set(labels)):
        problems.append(f"{name}: labels alike in their first 8 characters: {labels}")
    problems += [f"{name}: GOTO {target} has no label" for target in re.findall(r"\bgoto\s+(\S+)", text, re.I)
                 if target.lower()[:8] not in labels]
    return problems


def hash_problems(entries, tree_b, version):
    """SHA256.TXT against the files, each program against the other folder's and the changelog's."""
    digests = {name: hashlib.sha256(data).hexdigest() for name, data in entries.items()}
    listed = "".join(f"{digests[name]}  {name}\r\n" for name in NAMES[:-1])
    problems = []
    if entries.get("SHA256.TXT", b"").decode() != listed:
        problems.append("SHA256.TXT does not list the files")
    with open(os.path.join(ROOT, "CHANGELOG.md")) as f:
        entry = f.read().split(f"## {version} ", 1)[-1].split("\n## ", 1)[0]
    for name, built in BUILT.items():
        with open(os.path.join(tree_b, built), "rb") as f:
            if hashlib.sha256(f.read()).hexdigest() != digests[name]:
                problems.append(f"{name} differs between the two folders")
        if f"`{digests[name]}` {name}" not in entry:
            problems.append(f"CHANGELOG.md's {version} does not give {name} as `{digests[name]}` {name}")
    return problems


def signing_problems(tree, work):
    """The programs signed with a throwaway self-signed code-signing certificate."""
    key, cert, pfx, out = (os.path.join(work, name) for name in ("key.pem", "cert.pem", "test.pfx", "signed"))
    quiet = dict(check=True, capture_output=True)
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=zepho test",
                    "-addext", "extendedKeyUsage=codeSigning", "-keyout", key, "-out", cert], **quiet)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx, "-passout", "pass:s3cret"],
                   **quiet)
    package = [sys.executable, os.path.join(tree, "scripts/make_package.py"), "--version", "signed", "--source", tree,
               "--sign", pfx, "--exe", os.path.join(tree, BUILT["ZEPHO.EXE"]),
               "--exe64", os.path.join(tree, BUILT["ZEPHO64.EXE"]), "--exea64", os.path.join(tree, BUILT["ZEPHOA64.EXE"])]
    problems = []
    wrong = subprocess.run(package + ["--out", out + "-wrong"], env=dict(os.environ, ZEPHO_SIGN_PASSWORD="x"), text=True,
                           capture_output=True)
    if wrong.returncode != 1 or os.path.exists(out + "-wrong"):
        problems.append(f"a wrong password: {wrong}")
    subprocess.run(package + ["--out", out], env=dict(os.environ, ZEPHO_SIGN_PASSWORD="s3cret"), **quiet)
    with zipfile.ZipFile(os.path.join(out, "zepho-signed.zip")) as archive:
        archive.extractall(out)
    wine = WineSession(os.path.join(work, "prefix"), arch="win64")
    wine.start()
    try:
        for name, arch in (("ZEPHO.EXE", "x86"), ("ZEPHO64.EXE", "amd64"), ("ZEPHOA64.EXE", "arm64")):
            path, built = os.path.join(out, name), os.path.join(tree, BUILT[name])
            verified = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", path], capture_output=True, text=True)
            print(f"package: signed {name}: osslsigncode verify says {verified.stdout.strip().splitlines()[-1:]}")
            checked = subprocess.run([sys.executable, os.path.join(ROOT, "tests/check_pe.py"), path,
                                      os.path.splitext(built)[0] + ".map", arch, "--signed"], capture_output=True, text=True)
            problems += [f"signed {name}: {line}" for line in checked.stdout.splitlines() if line.startswith("FAIL")]
            if verified.returncode != 0:
                problems.append(f"signed {name}: osslsigncode verify fails")
            if arch != "arm64":
                runs = [wine.run([exe, "/SET", "/VERBOSE", "/ALL"], capture_output=True).stdout for exe in (path, built)]
                if runs[0] != runs[1]:
                    problems.append(f"signed {name} prints {runs[0]!r}, unsigned {runs[1]!r}")
    finally:
        wine.stop()
    return problems


def main():
    stamp = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True,
                           text=True).stdout.strip() or "315532800"
    work = tempfile.mkdtemp(prefix="zepho-package-")
    problems = []
    try:
        (zip_a, img_a, tree_a), (zip_b, img_b, tree_b) = (build_copy(os.path.join(work, where), stamp)
                                                    for where in ("a", "a-much-longer-folder/b"))
        with open(zip_a, "rb") as a, open(zip_b, "rb") as b:
            same = a.read() == b.read()
        if not same:
            problems.append("two builds in two folders give different zips")
        with open(img_a, "rb") as a, open(img_b, "rb") as b:
            if a.read() != b.read():
                problems.append("two builds in two folders give different floppy images")
        with zipfile.ZipFile(zip_a) as archive:
            infos = archive.infolist()
            entries = {i.filename: archive.read(i) for i in infos}
        if [i.filename for i in infos] != NAMES:
            problems.append(f"entries {[i.filename for i in infos]}, expected {NAMES}")
        for info in infos:
            date = time.gmtime(int(stamp) // 2 * 2)[:6]  # a zip keeps even seconds
            if info.date_time != date or info.external_attr != 0x20 or info.create_system != 0:
                problems.append(f"{info.filename}: date {info.date_time}, attributes {info.external_attr:#x}")
        for name, built in BUILT.items():
            with open(os.path.join(tree_a, built), "rb") as f:
                if entries.get(name) != f.read():
                    problems.append(f"{name} differs from the built exe")
        listed = subprocess.run(["mdir", "-i", img_a, "-b", "::"], capture_output=True, text=True).stdout.split()
        held = {name: subprocess.run(["mtype", "-i", img_a, "::" + name], capture_output=True).stdout for name in NAMES}
        if listed != ["::/" + name for name in NAMES] or held != entries or os.path.getsize(img_a) != 1474560:
            problems.append(f"the image holds {listed}, not the zip's files byte for byte")
        for name in NAMES[3:]:
            problems += text_problems(name, entries.get(name, b""))
        for name in ("WHICHWIN.BAT", "WHICHMAJ.BAT"):  # the loader is for cmd.exe
            problems += batch_problems(name, entries.get(name, b"").decode("latin-1"))
        version = re.fullmatch(r"zepho-(.+)\.zip", os.path.basename(zip_a)).group(1)
        file_versions = {pefile.PE(data=entries[name]).FileInfo[0][0].StringTable[0].entries[b"FileVersion"].decode()
                         for name in BUILT}
        file_version = file_versions.pop() if len(file_versions) == 1 else file_versions
        manual = entries["ZEPHO.TXT"].decode("ascii")
        if file_version != version or f"ZEPHO version {version}." not in manual:
            problems.append(f"versions differ: zip {version}, exe {file_version}, or not in the manual")
        with open(os.path.join(ROOT, "LICENSE")) as f:
            if f.read().rstrip("\n").replace("\n", "\r\n") not in manual:
                problems.append("the manual does not carry the licence")
        problems += hash_problems(entries, tree_b, version)
        problems += signing_problems(tree_a, work)
        with open(zip_a, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        print(f"package: {', '.join(f'{n} {len(d)}' for n, d in entries.items())} bytes; "
              f"{os.path.getsize(zip_a)} bytes zipped, SHA-256 {digest} "
              f"{'from both folders' if same else 'differing between folders'}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for problem in problems:
        print(f"FAIL {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
