#!/usr/bin/env python3
"""End-to-end rows for zepho.exe under Wine, and under a real DOS (DOSBox).
Run from the source tree's root: python3 -m tests.wine.run_wine_tests.

Most rows go through the test launcher, which starts zepho.exe (or cmd.exe
with an example batch file) with an exact command-line text, environment
and standard output, one Wine process for all of them. Rows about the Unix
side of standard output (a file, a pipe whose reader has gone, /dev/full)
start Wine directly. Prints one line per failing row and "N passed, N failed".
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from tests.rows import (EXAMPLE_OUTPUT, HELP, NOT_FOUND, NT_KEY, PRODUCT_KEY, RECORDS, VERSION, Row, check, crlf, env,
                        examples, failure, loader_failed, record_rows, reg, release_rows, report, runs_under_command_com, version,
                        zepho_rows)
from tests.wine.wine_session import WineSession
from tools.host_build import build_host_target
from tools.regenerate import first_free, read_tables, retired, statuses

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


CMD = r"C:\windows\system32\cmd.exe"


MODES = (("whichwin.bat", "verbose"), ("whichmaj.bat", "major"))
MINI_NT = r"HKLM\System\CurrentControlSet\Control\MiniNT"
def later(tables):
    """A 10.0 workstation of a build this zepho does not name yet: the one after the newest row's."""
    build = max(last for _, _, ver, kind, _, last, _ in tables["all"] if (ver, kind) == ("10.0", "workstation"))
    return version(None) + reg(NT_KEY, "CurrentVersion", "10.0") + reg(NT_KEY, "CurrentBuildNumber", str(build + 1)) + \
        reg(NT_KEY, "CSDVersion", "") + reg(PRODUCT_KEY, "ProductType", "WinNT")


def folder(workdir, name, exe, scripts):
    """A folder whose name holds a blank, parentheses and an ampersand, with `exe` (bytes) as ZEPHO.EXE
    unless it is None, and the scripts {name: bytes}; its path."""
    path = os.path.join(workdir, f"{name} (x) & test")
    os.makedirs(path)
    files = dict(scripts)
    if exe is not None:
        files["ZEPHO.EXE"] = exe
    for file, data in files.items():
        with open(os.path.join(path, file), "wb") as f:
            f.write(data)
    return path


def call_command(path):
    """The CALL of a batch file whose path may hold an ampersand."""
    return b'call "' + winpath(path).encode() + b'"'


def call(path):
    """cmd.exe's command line for a batch file whose path may hold an ampersand."""
    return b"cmd /c " + call_command(path)


def broken_rows(exe, foreign, scripts, workdir):
    """Each script {name: bytes} but the loader beside a ZEPHO.EXE cut short, as an interrupted download
    leaves it, and beside another processor's build named ZEPHO.EXE, run by full path: the loader's line
    that says so, and never a release."""
    with open(exe, "rb") as f:
        cut = f.read()[:3000]
    with open(foreign, "rb") as f:
        other = f.read()
    rows = []
    for kind, data in (("truncated", cut), ("foreign", other)):
        where = folder(workdir, kind, data, scripts)
        rows += [Row(f"broken/{kind}/{name}", call(os.path.join(where, name)),
                     loader_failed(winpath(where), ["ZEPHO.EXE"], ["ZEPHO.EXE"]), None, None,
                     setup=version("win10") + env("PATH", r"C:\windows\system32;C:\windows"), program=CMD)
                 for name in scripts if name != "ZEPHOSET.BAT"]
    return rows


def batch_rows(exe, examples, tables, workdir):
    """The example batch files under cmd /c, once for every status the program's tables give in their mode,
    each in the world of a row that gives it to the switches the script passes; without any ZEPHO.EXE after
    a status of 7; and WHICHWIN.BAT by its full path from another folder, with ZEPHO.EXE only beside it."""
    rows, system = [], r"C:\windows\system32;C:\windows"
    path = env("PATH", winpath(os.path.dirname(exe)) + ";" + system)
    for script, mode in MODES:
        worlds = {}
        for row in release_rows() + record_rows():
            words = row.command_line.decode("latin-1").upper().split()
            if (("/VERBOSE" in words and "/MAJOR" not in words) == (mode == "verbose") and "/HELP" not in words
                    and (row.status or "/ALL" in words) and ("/TERMINALS" in words or mode == "major"
                                                             or not any(d.startswith("env set") for d in row.setup))):
                worlds.setdefault(row.status, row)
        command = winpath(os.path.join(examples, script)).encode()
        for status in statuses(tables, mode):
            if status not in worlds:
                raise SystemExit(f"no Wine row gives {mode} status {status} for {script}")
            rows.append(Row(f"batch/{script}/{status}", b"cmd /c " + command, None, None,
                            setup=worlds[status].setup + path, program=CMD,
                            out_ends=f"({mode} status {status})\r\n".encode()))
        rows.append(Row(f"batch/{script}/not-found", b"cmd /c cmd /c exit 7 & " + command,
                        loader_failed(winpath(examples), ["ZEPHO.EXE"]), None,
                        setup=env("PATH", system), program=CMD))
    with open(exe, "rb") as f:
        beside = folder(workdir, "beside", f.read(), batch_files(examples))
    rows.append(Row("batch/whichwin.bat/beside", call(os.path.join(beside, "WHICHWIN.BAT")),
                    b"Windows XP (verbose status 15)\r\n", None, setup=version("winxp") + env("PATH", system),
                    program=CMD))
    # Without CALL, cmd.exe takes the quotes off and the path apart at its "&".
    head, tail = winpath(os.path.join(beside, "WHICHWIN.BAT")).split("& ")
    said = "Can't recognize '{}' as an internal or external command, or batch script."
    rows.append(Row("batch/whichwin.bat/ampersand-without-call", b'cmd /c "%s"' % (head + "& " + tail).encode(), b"",
                    None, crlf(said.format(head), said.format(tail)), setup=env("PATH", system), program=CMD))
    without = folder(workdir, "no loader", None, {"WHICHMAJ.BAT": batch_files(examples)["WHICHMAJ.BAT"]})
    rows.append(Row("batch/whichmaj.bat/no-loader", call(os.path.join(without, "WHICHMAJ.BAT")),
                    b"ZEPHOSET.BAT not found: keep it beside this file\r\n", None, setup=env("PATH", system),
                    program=CMD))
    return rows


def batch_files(examples):
    """{name: bytes} of the batch files the release ships."""
    files = {}
    for name in ("whichwin.bat", "whichmaj.bat", "zephoset.bat"):
        with open(os.path.join(examples, name), "rb") as f:
            files[name.upper()] = f.read()
    return files


def dos_rows(wine, tables):
    """Under DOS: ZEPHO.EXE prints nothing, status 0; the batch files print what cmd.exe does (`wine`) for every
    status of the tables, each retired one, and the first and last only a newer zepho gives; without ZEPHO.EXE,
    the not-found line."""
    rows = [Row(f"dos/zepho {tail}".strip(), f"ZEPHO {tail}".encode(), b"", 0)
            for tail in ("", "/VERBOSE /QUIET", "/quiet", "/HELP", '"/QUIET" /MAJOR')]
    # What the DOS stub prints for /SET, CALLed, sets nothing.
    rows.append(Row("dos/set-called", b"set ZEPHO_STATUS=left\r\nZEPHO /SET /ALL >Z.BAT\r\ncall Z.BAT\r\n"
                    b"echo [%ZEPHO_STATUS%]", b"[left]\r\n", None))
    for name, mode in MODES:
        rows.append(Row(f"dos/A:{name.upper()}", f"A:\r\ncommand /c {name.upper()}".encode(),
                        b"Not recognised, or not on Windows (%s status 0)\r\n" % mode.encode(), 0))
        given = statuses(tables, mode)
        free, top = first_free(tables, mode), given[-1]
        for n in given + list(retired(tables, mode)) + [free, top - 1]:
            if free <= n < top:
                ending = f"({mode} status {free} to {top - 1})"
            else:
                ending = f"({mode} status {n})"
            _, out, _ = wine.get(f"batch/{name}/{n}", (0, None, b""))
            rows.append(Row(f"dos/{name}/{n}", b"cd S%d\r\ncommand /c A:\\%s" % (n, name.upper().encode()),
                            out, None, out_ends=ending.encode() + b"\r\n"))
        for n in (7, 0):
            rows.append(Row(f"dos/{name}/not-found-after-{n}",
                            b"cd NONE\r\n..\\S%d\\ZEPHO\r\ncommand /c A:\\%s" % (n, name.upper().encode()),
                            b"Illegal command: for.\r\n" * 2 + NOT_FOUND, None))
    return rows


PAGE_COMMANDS = [
    ("zepho", b"zepho", []),
    ("zepho /VERBOSE", b"zepho /VERBOSE", []),
    ("zepho /VERBOSE /TERMINALS", b"zepho /VERBOSE /TERMINALS",
     env("WINSTATIONNAME", "RDP-Tcp#7") + env("SESSIONNAME", "RDP-Tcp#7")),
]


def page_rows():
    """Runs whose output makes up docs/releases.md; the page is the check."""
    return [Row(f"page/{release}/{i}", line, None, None, setup=version(release) + setup) for release in RECORDS
            for i, (_, line, setup) in [*enumerate(PAGE_COMMANDS), ("all-verbose", (0, b"zepho /VERBOSE /ALL", [])),
                                        ("all-major", (0, b"zepho /ALL", []))]]


def render_page(results):
    text = ["# What zepho prints on each release", "",
            "Generated from the source tree's root, once the win32 preset is built, by",
            "`/usr/bin/python3 -m tests.wine.run_wine_tests --write-releases docs/releases.md`,",
            "from `build/win32/zepho.exe` under Wine 8, which emulates each release; the Wine rows",
            "fail when this page no longer matches what the program prints. `/TERMINALS` runs have",
            "WINSTATIONNAME and SESSIONNAME set. Lines end in CR LF; some end in a blank.", ""]
    for release in RECORDS:
        text += [f"## {release}", ""]
        for i, (command, _, _) in enumerate(PAGE_COMMANDS):
            status, out, err = results.get(f"page/{release}/{i}", (None, b"", b""))
            text += [f"`{command}` ends with status {status}:", "", "```"]
            text += out.decode("latin-1").replace("\r\n", "\n").rstrip("\n").split("\n")
            text += ["```", ""]
    text += ["## With /ALL", "", "The same report, then this line; Wine 8's win7 says it is a server and its win2008r2",
             "a workstation, so /ALL names each as the other.", "",
             "| release | line of `zepho /VERBOSE /ALL` | its status | status of `zepho /ALL` |", "|---|---|---|---|"]
    for release in RECORDS:
        (verbose, out, _), (major, _, _) = (results.get(f"page/{release}/all-{m}", (None, b"", b"")) for m in ("verbose", "major"))
        line = out.decode("latin-1").rstrip("\r\n").split("\r\n")[-1]  # the release line, or the blank one before
        text.append(f"| {release} | {f'`{line}`' if line.strip() else 'none'} | {verbose} | {major} |")
    return "\n".join(text) + "\n"


FACT_NAMES = ("STATUS", "RELEASE", "PLATFORM", "MAJOR", "MINOR", "BUILD", "CSD", "SP", "KIND", "BITS", "EDITION",
              "INSTALL", "FEATURE", "UBR", "ARCH", "PE", "VERSION")
HOSTILE = 'Pro" & echo HACKED> "%TEMP%\\HACKED" & rem ^ | < > ( ) ! %PATH%'


def set_lines(*values):
    return crlf(*(f"SET ZEPHO_{name}={value}" for name, value in zip(FACT_NAMES, values + (VERSION,))))


def set_rows(exe, workdir):
    """/SET under Wine: XP and 98 as Wine gives them, a registry-made domain controller, and an EditionID that tries
    to run a command from the file that a batch file CALLs."""
    empty = ("",) * 4 + ("x86", "")
    dc = version(None) + reg(NT_KEY, "CurrentVersion", "10.0") + reg(NT_KEY, "CurrentBuildNumber", "20348") + reg(
        NT_KEY, "CSDVersion", "") + reg(PRODUCT_KEY, "ProductType", "LanmanNT")
    script = os.path.join(workdir, "HOSTILE.BAT")
    with open(script, "wb") as f:
        f.write(b'@echo off\r\nzepho /SET /ALL > "%TEMP%\\ZEPHOSET.BAT"\r\ncall "%TEMP%\\ZEPHOSET.BAT"\r\n'
                b'echo [%ZEPHO_EDITION%]\r\nif exist "%TEMP%\\HACKED" echo HACKED\r\n')
    path = env("PATH", winpath(os.path.dirname(exe)) + r";C:\windows\system32;C:\windows")
    return [
        Row("set/winxp", b"zepho /SET /VERBOSE", set_lines(
            15, "Windows XP", 2, 5, 1, 2600, "Service Pack 3", 3, "WORKSTATION", 32, *empty), 15, setup=version("winxp")),
        Row("set/win98", b"zepho /SET /VERBOSE /ALL", set_lines(
            9, "Windows 98 Second Edition final retail/OEM", 1, 4, 10, 2222, "A", "", "", 32, *empty), 9,
            setup=version("win98")),
        # Wine's longer record keeps the service pack 1 of its default release.
        Row("set/dc", b"zepho /SET /VERBOSE /ALL", set_lines(
            29, "Windows Server 2022", 2, 10, 0, 20348, "", 1, "DC", 32, *empty), 29, setup=dc),
        Row("set/hostile-edition", b"cmd /c " + winpath(script).encode(),
            b"[Pro_ _ echo HACKED_ __TEMP__HACKED_ _ rem _ _ _ _ _ _ _ _PATH_]\r\n", None,
            setup=version("win10") + reg(NT_KEY, "EditionID", HOSTILE) + path, program=CMD),
    ]


def prefix64_rows(exe, workdir):
    """(name, problems): in a 64-bit prefix, BITS=64, ARCH=x64 and the CurrentVersion values of the 64-bit view,
    where the 32-bit view holds others; with the key that Windows PE makes, PE=1 too."""
    wine = WineSession(os.path.join(workdir, "prefix64"), arch="win64")
    results = []
    try:
        wine.start()
        for view, values in (("64", ("Enterprise", "Client", "24H2", "4321")), ("32", ("Wrong", "Wrong", "Wrong", "32"))):
            for name, value in zip(("EditionID", "InstallationType", "DisplayVersion", "UBR"), values):
                kind = ["/t", "REG_DWORD"] if name == "UBR" else []
                wine.run(["reg", "add", NT_KEY, "/v", name, "/d", value, "/f", f"/reg:{view}", *kind],
                         capture_output=True, check=True)
        for pe in ("", "1"):
            if pe:
                wine.run(["reg", "add", MINI_NT, "/f", "/reg:64"], capture_output=True, check=True)
            done = wine.run([winpath(exe), "/SET"], capture_output=True)
            tail = crlf("SET ZEPHO_BITS=64", "SET ZEPHO_EDITION=Enterprise", "SET ZEPHO_INSTALL=Client",
                        "SET ZEPHO_FEATURE=24H2", "SET ZEPHO_UBR=4321", "SET ZEPHO_ARCH=x64", f"SET ZEPHO_PE={pe}",
                        f"SET ZEPHO_VERSION={VERSION}")
            results.append((f"prefix64/set{'/mini-nt' if pe else ''}", [] if done.stdout.endswith(tail) else
                            [f"stdout {done.stdout!r}, expected it to end {tail!r}"]))
    finally:
        wine.stop()
    return results


# A stand-in for zepho that sets what is no fact of zepho's and says it is an ARM64 system.
STAND_IN = b'''#include <stdio.h>
int main(void) { return puts("SET PATH=C:\\\\planted\\nSET ZEPHO_EVIL=1\\nSET ZEPHO_STATUS=99\\n"
                             "SET ZEPHO_RELEASE=Planted\\nSET ZEPHO_ARCH=ARM64") < 0; }'''
CALLER = """@echo off
set ZEPHO_HERE=mine
set ZEPHO_RELEASE=Windows 11
set ZEPHO_PE=1
set "OLD=%PATH%"
cd /d "{here}"
{delayed}
cmd /c exit 5
call {loader} {switches}
echo %ERRORLEVEL% [%ZEPHO_STATUS%] [%ZEPHO_RELEASE%] [%ZEPHO_ARCH%] [%ZEPHO_PE%] [%ZEPHO_EVIL%] [%ZEPHO_HERE%]
if not "%PATH%"=="%OLD%" echo PATH changed
"""


def loader_rows(exe64, examples_dir, workdir):
    """ZEPHOSET.BAT in a 64-bit prefix, called by a script that had its own ZEPHO_HERE, stale facts and
    ERRORLEVEL 5, from a folder with a blank, parentheses, an ampersand and "!": the copy it runs and what it
    leaves. A row: name, {file: bytes} beside the loader, in the current folder and on the PATH, cmd.exe, the
    processor it says, the switches, and what the script says."""
    build_host_target("zepho", "win32")
    got = {}
    with open(os.path.join(workdir, "stand.c"), "wb") as f:
        f.write(STAND_IN)
    for name, compiler in (("stand64.exe", "x86_64-w64-mingw32-gcc"), ("stand32.exe", "i686-w64-mingw32-gcc")):
        subprocess.run([compiler, "-s", "-o", os.path.join(workdir, name), os.path.join(workdir, "stand.c")], check=True)
    for name, path in (("z", os.path.join(ROOT, "build/win32/zepho.exe")), ("z64", exe64),
                       ("s64", os.path.join(workdir, "stand64.exe")), ("s32", os.path.join(workdir, "stand32.exe"))):
        with open(path, "rb") as f:
            got[name] = f.read()
        got[name + "-cut"] = got[name][:3000]
    z, z64, s64 = got["z"], got["z64"], got["s64"]
    cmd32, zeros = r"C:\windows\syswow64\cmd.exe", "1 [] [] [] [] [] [mine]"
    real, planted, all_ = "0 [26] [Windows 10] [x64] [] [] [mine]", "0 [99] [Planted] [ARM64] [] [] [mine]", "/VERBOSE /ALL"
    table = [
        ("planted-here", {"ZEPHO.EXE": z}, {"ZEPHO64.EXE": s64}, {}, CMD, None, all_, crlf(real)),
        ("planted-here/cmd32", {"ZEPHO.EXE": z}, {"ZEPHO.EXE": got["s32"]}, {}, cmd32, None, all_, crlf(real)),
        ("cut-zepho", {"ZEPHO64.EXE": z64, "ZEPHO.EXE": got["z-cut"]}, {}, {}, CMD, None, all_, crlf(real)),
        ("on-path", {}, {}, {"ZEPHO64.EXE": s64}, CMD, None, all_, crlf(planted)),
        ("on-path-not-here", {}, {"ZEPHO64.EXE": s64}, {"ZEPHO64.EXE": z64}, CMD, None, all_, crlf(real)),
        ("zepho64/cmd32", {"ZEPHO64.EXE": z64}, {}, {}, cmd32, None, all_, crlf(real)),
        ("arm64", {"ZEPHOA64.EXE": s64, "ZEPHO64.EXE": z64, "ZEPHO.EXE": z}, {}, {}, CMD, "ARM64", all_, crlf(planted)),
        ("arm64-cut", {"ZEPHOA64.EXE": got["s64-cut"], "ZEPHO64.EXE": z64}, {}, {}, CMD, "ARM64", all_, crlf(real)),
        ("delayed-bare-name", {"ZEPHO64.EXE": z64}, None, {}, CMD, None, all_, crlf(real)),
        ("quiet", {"ZEPHO64.EXE": z64}, {}, {}, CMD, None, all_ + " /Quiet", crlf(real)),
        ("quiet-failed", {"ZEPHO64.EXE": got["z64-cut"]}, {}, {}, CMD, None, all_ + " /QUIET", crlf(zeros)),
        ("help", {"ZEPHO64.EXE": z64}, {}, {}, CMD, None, "/HELP", HELP + crlf(zeros)),
    ]
    with open(os.path.join(examples_dir, "zephoset.bat"), "rb") as f:
        loader = f.read()
    rows, system = [], r"C:\windows\system32;C:\windows"
    for number, (name, beside, here, on_path, cmd, processor, switches, said) in enumerate(table):
        where = folder(workdir, f"loader {number}!", None, dict(beside, **{"ZEPHOSET.BAT": loader}))
        current = where if here is None else folder(workdir, f"current {number}", None, here)
        path = system + (";" + winpath(folder(workdir, f"path {number}", None, on_path)) if on_path else "")
        script = os.path.join(current if here is None else workdir, f"caller{number}.bat")
        with open(script, "w", newline="\r\n") as f:
            f.write(CALLER.format(here=winpath(current), switches=switches,
                                  delayed="setlocal enabledelayedexpansion" if here is None else "rem",
                                  loader="ZEPHOSET.BAT" if here is None else f'"{winpath(where)}\\ZEPHOSET.BAT"'))
        rows.append(Row(f"loader/{name}", call(script), said, None, None, program=cmd,
                        setup=version("win10") + env("PATH", path) + env("PROCESSOR_ARCHITECTURE", processor or "AMD64")))
    return rows


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def unhex(text):
    return b"" if text == "-" else bytes.fromhex(text)


def run_launcher(wine, launcher, exe, rows, workdir):
    lines = [f"exe {winpath(exe)}"]
    for row in rows:
        lines.append(f"case {row.name}")
        lines.append(f"exe {row.program or winpath(exe)}")
        lines += row.setup
        lines.append(f"stdout {row.stdout}")
        lines.append(f"cmd {row.command_line.hex()}")
        lines.append("run")
    lines += version("winxp")  # for the rows that follow
    cases = os.path.join(workdir, "cases.txt")
    with open(cases, "w") as f:
        f.write("\n".join(lines) + "\n")
    done = wine.run([winpath(launcher), winpath(cases)], capture_output=True, timeout=3600)
    results = {}
    for line in done.stdout.decode("latin-1").splitlines():
        parts = line.split()
        if len(parts) == 5 and parts[0] == "result":
            results[parts[1]] = (int(parts[2]), unhex(parts[3]), unhex(parts[4]))
    if done.returncode != 0:
        print(f"launcher ended with {done.returncode}: {done.stderr.decode('latin-1')}")
    return results


def run_dosbox(exe, rows, folder, extra):
    """{name: (status, stdout, stderr)}: one DOSBox, C: with ZEPHO.EXE, ONE.COM, S0-S255\\ZEPHO.EXE (a .COM inside),
    an empty NONE, the `extra` files {name: bytes}, A: the image."""
    subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "../../scripts/make_package.py"),
                    "--exe", exe, "--version", "dos", "--out", folder], check=True, capture_output=True)
    run = [b"@echo off", b"imgmount a %s/zepho-dos.img -t floppy" % folder.encode()]
    for i, r in enumerate(rows):  # ONE.COM's status 1 stands if the row runs nothing
        run += [b"C:", b"cd\\", b"ONE", r.command_line + b">C:\\%d.OUT" % i,
                b"if errorlevel 1 echo %d>>C:\\STATUS.TXT" % i]
    with open(exe, "rb") as f:
        files = {"ZEPHO.EXE": f.read(), "RUN.BAT": b"\r\n".join(run + [b"exit", b""]), "NONE/NO.TXT": b"", **extra}
    files["ONE.COM"] = b"\xb8\x01\x4c\xcd\x21"  # mov ax,4C01h; int 21h
    # mov ah,9; mov dx,10Ch; int 21h; mov ax,4C1Ah; int 21h: the facts of Windows 10 and status 26.
    facts = b"SET ZEPHO_STATUS=26\r\nSET ZEPHO_RELEASE=Windows 10\r\nSET ZEPHO_KIND=WORKSTATION\r\nSET ZEPHO_BITS=32\r\n"
    files["SETS/ZEPHO.EXE"] = b"\xb4\x09\xba\x0c\x01\xcd\x21\xb8\x1a\x4c\xcd\x21" + facts + b"$"
    for n in range(256):
        files[f"S{n}/ZEPHO.EXE"] = b"\xb8%c\x4c\xcd\x21" % n
    for name, data in files.items():
        os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    subprocess.run(["dosbox", "-c", f"mount c {folder}", "-c", "c:", "-c", "RUN.BAT"], timeout=300, check=True,
                   capture_output=True, env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy"))
    out = {}
    for name in os.listdir(folder):
        if "." in name:
            with open(os.path.join(folder, name), "rb") as f:
                out[name] = f.read()
    failed_with_one = out.get("STATUS.TXT", b"").split()
    return {row.name: (int(b"%d" % i in failed_with_one), out.get(f"{i}.OUT"), b"") for i, row in enumerate(rows)}


def from_nt52(row):
    """Whether a row's record is an NT from 5.2 on: a stock release's, or one the registry makes."""
    head, case = row.name.split("/")[:2]
    if head == "record":
        return re.match(r"(\d+)\.(\d+)\.", case) is not None and tuple(map(int, case.split(".")[:2])) >= (5, 2)
    return head in RECORDS and RECORDS[head][0] == 2 and RECORDS[head][1:3] >= (5, 2)


def example_rows(exe, foreign, examples_dir, tables, workdir, exe_name):
    """Every batch example of the documents, read from them: under cmd.exe in Wine's win10 with ZEPHO.EXE beside
    it, from a folder without one after a program that ended with 16, and beside a broken ZEPHO.EXE, by full
    path from folders with ZEPHOSET.BAT and a blank, parentheses and an ampersand in their names; those that
    COMMAND.COM runs too, likewise in DOSBox. Returns the Wine rows, the DOSBox rows and {name: bytes} of the
    files DOSBox needs."""
    system = r"C:\windows\system32;C:\windows"
    found, files, counted = examples(tables), {}, {}
    for number, (_, text) in enumerate(found, 1):
        files[f"EX{number}.BAT"] = text.replace("\n", "\r\n").encode("ascii")
    scripts = dict(files, **batch_files(examples_dir))
    with open(exe, "rb") as f:
        beside = folder(workdir, "examples beside", None, dict(scripts, **{exe_name: f.read()}))
    without = folder(workdir, "examples without", None, scripts)
    rows, dos, builds = [], [], ["ZEPHO.EXE"] if exe_name == "ZEPHO.EXE" else ["ZEPHO64.EXE", "ZEPHO.EXE"]
    for (document, text), name in zip(found, files):
        counted[document] = counted.get(document, 0) + 1
        number = counted[document]
        if number > len(EXAMPLE_OUTPUT[document]):
            raise SystemExit(f"example {number} of {document} has no output in EXAMPLE_OUTPUT of tests/rows.py")
        said, missing, *rest = EXAMPLE_OUTPUT[document][number - 1]
        more = {}
        if rest:
            more = {key: crlf(line) for key, line in rest[0].items()}
        said, missing = crlf(said), crlf(missing)
        if exe_name != "ZEPHO.EXE":  # a 64-bit prefix, on x64; the later and PE rows need only one prefix
            said = more.get("win64", said)
            more = {}
        label = f"example/{document}/{number}"
        rows.append(Row(f"{label}/beside", call(os.path.join(beside, name)), said, None,
                        setup=version("win10") + env("PATH", winpath(beside) + ";" + system), program=CMD))
        rows.append(Row(f"{label}/missing", b"cmd /c cmd /c exit 16 & " + call_command(os.path.join(without, name)),
                        loader_failed(winpath(without), builds), None, setup=env("PATH", system), program=CMD))
        for key, setup in (("later", later(tables)), ("pe", version("win10") + reg(MINI_NT, "Made", "1"))):
            if key in more:  # Windows PE's key stays, so its rows run last
                rows.append(Row(f"{'pe/' if key == 'pe' else ''}{label}/{key}", call(os.path.join(beside, name)),
                                more[key], None, setup=setup + env("PATH", winpath(beside) + ";" + system), program=CMD))
        if not runs_under_command_com(text):
            continue
        # DOSBox's own shell has no FOR and says so as it goes; only how the run ends is zepho's.
        run, said_dos, missing_dos = b"command /c C:\\" + name.encode(), said, missing
        if b"/SET" in files[name].upper():
            # DOSBox sends what follows a redirection inside a batch file to the screen, so these rows
            # tell by the status that the facts were loaded.
            run, said_dos, missing_dos = b"call C:\\%s\r\necho [%%ZEPHO_STATUS%%]" % name.encode(), b"[26]\r\n", b"[]\r\n"
        double = b"SETS" if b"/SET" in files[name].upper() else b"S26"
        dos.append(Row(f"dos/{label}/double", b"cd %s\r\n%s" % (double, run), None, None, out_ends=said_dos))
        dos.append(Row(f"dos/{label}/missing", b"cd NONE\r\n..\\S16\\ZEPHO\r\n" + run, None, None,
                       out_ends=missing_dos))
    for document, said in EXAMPLE_OUTPUT.items():
        if counted.get(document, 0) != len(said):
            raise SystemExit(f"{document} has {counted.get(document, 0)} examples, EXAMPLE_OUTPUT {len(said)}")
    if exe_name == "ZEPHO.EXE":
        # The batch rows run both batch files beside ZEPHO.EXE; here, beside ZEPHO64.EXE alone.
        return rows + broken_rows(exe, foreign, scripts, workdir), dos, files
    for script, line in (("WHICHWIN.BAT", "Windows 10 (verbose status 26)"),
                         ("WHICHMAJ.BAT", "Windows 10, Server 2016, Server 2019 or Server 2022 (major status 13)")):
        # Nothing of the loader's is left behind.
        rows.append(Row(f"batch/{script}/beside-{exe_name}", call(os.path.join(beside, script)) +
                        b" & call echo [%ZEPHO_STATUS%]", crlf(line, "[%ZEPHO_STATUS%]"), None,
                        setup=version("win10") + env("PATH", system), program=CMD))
    return rows, dos, files


def unix_rows(wine, exe, workdir):
    """(name, problems) for rows that start Wine straight from here."""
    xp_verbose = report(*RECORDS["winxp"], "Windows XP Service Pack 3")
    results = []

    piped = wine.run([winpath(exe), "/VERBOSE"], capture_output=True)
    results.append(("unix/pipe", check(Row("", b"", xp_verbose, 15), piped.returncode, piped.stdout, piped.stderr)))

    path = os.path.join(workdir, "out.txt")
    with open(path, "wb") as f:
        filed = wine.run([winpath(exe), "/VERBOSE"], stdout=f, stderr=subprocess.PIPE)
    with open(path, "rb") as f:
        results.append(("unix/file-same-as-pipe",
                        check(Row("", b"", piped.stdout, 15), filed.returncode, f.read(), filed.stderr)))

    with open("/dev/full", "wb") as f:
        full = wine.run([winpath(exe), "/VERBOSE"], stdout=f, stderr=subprocess.PIPE)
    results.append(("unix/dev-full", check(Row("", b"", b"", 1, failure(1, "I/O error 112.")),
                                           full.returncode, b"", full.stderr)))

    read_end, write_end = os.pipe()
    os.close(read_end)
    gone = wine.run([winpath(exe), "/VERBOSE"], stdout=write_end, stderr=subprocess.PIPE)
    os.close(write_end)
    results.append(("unix/reader-gone", check(Row("", b"", b"", 1, failure(8, "I/O error 233.")),
                                              gone.returncode, b"", gone.stderr)))

    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", default=os.path.join(ROOT, "build/win32/zepho.exe"))
    parser.add_argument("--launcher", default=os.path.join(ROOT, "build/win32/zepho_launcher.exe"))
    parser.add_argument("--examples", default=os.path.join(ROOT, "examples"))
    parser.add_argument("--tables", help="zepho_tables; by default the host preset's, built when needed")
    parser.add_argument("--only", default="", help="run only the rows whose name starts with this")
    parser.add_argument("--releases", help="docs/releases.md, to compare with what the program prints")
    parser.add_argument("--write-releases", help="write the page of releases here instead of comparing")
    parser.add_argument("--foreign", default=os.path.join(ROOT, "build/arm64/zephoa64.exe"),
                        help="a build for another processor, to stand as ZEPHO.EXE where it cannot start; "
                             "the arm64 preset's, built when it is the default")
    parser.add_argument("--win64", action="store_true",
                        help="--exe is ZEPHO64.EXE: run it in a 64-bit prefix, from NT 5.2 on, with the 64-bit cmd.exe")
    args = parser.parse_args()
    if args.foreign == parser.get_default("foreign") and not args.win64:
        build_host_target("zepho", "arm64")

    started = time.monotonic()
    workdir = tempfile.mkdtemp(prefix="zepho-wine-")
    wine = WineSession(os.path.join(workdir, "prefix"), arch="win64" if args.win64 else "win32")
    passed = failed = 0
    try:
        wine.start()
        tables = read_tables(args.tables)
        name = "ZEPHO64.EXE" if args.win64 else "ZEPHO.EXE"
        examples_run, examples_dos, example_files = example_rows(args.exe, args.foreign, args.examples, tables,
                                                                 workdir, name)
        if args.win64:
            rows = [row for row in zepho_rows() if from_nt52(row)] + examples_run
            rows += loader_rows(args.exe, args.examples, workdir)
        else:
            rows = zepho_rows() + page_rows() + batch_rows(args.exe, args.examples, tables, workdir) + examples_run
            rows += set_rows(args.exe, workdir)
        rows = sorted((row for row in rows if row.name.startswith(args.only)), key=lambda row: row.name.startswith("pe/"))
        results = run_launcher(wine, args.launcher, args.exe, rows, workdir)
        dos = [row for row in dos_rows(results, tables) + examples_dos if row.name.startswith(args.only)]
        if args.win64:
            dos = []
        if dos:
            results.update(run_dosbox(args.exe, dos, os.path.join(workdir, "dos"), example_files))
        outcomes = []
        for row in rows + dos:
            if row.name not in results:
                outcomes.append((row.name, ["no result from the launcher"]))
            else:
                outcomes.append((row.name, check(row, *results[row.name])))
        if args.write_releases:
            with open(args.write_releases, "w") as f:
                f.write(render_page(results))
        elif args.releases and not args.only and not args.win64:
            with open(args.releases) as f:
                same = f.read() == render_page(results)
            outcomes.append(("page/releases.md", [] if same else [
                f"{args.releases} differs from what zepho.exe prints; regenerate it with --write-releases"]))
        if not args.win64 and (not args.only or args.only.startswith("unix")):
            outcomes += unix_rows(wine, args.exe, workdir)
        if not args.only or args.only.startswith("prefix64"):
            outcomes += prefix64_rows(args.exe, workdir)
        for name, problems in outcomes:
            if problems:
                failed += 1
                print(f"FAIL {name}: " + "; ".join(problems))
            else:
                passed += 1
    finally:
        wine.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    print(f"wine: {passed + failed} rows in {time.monotonic() - started:.0f} s")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
