#!/usr/bin/env python3
"""End-to-end rows for zepho.exe under Wine, and under a real DOS (DOSBox).

Most rows go through the test launcher, which starts zepho.exe (or cmd.exe
with an example batch file) with an exact command-line text, environment
and standard output, one Wine process for all of them. Rows about the Unix
side of standard output (a file, a pipe whose reader has gone, /dev/full)
start Wine directly. Prints one line per failing row and "N passed, N failed".
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field

from expected import HELP, failure, report
from wine_session import WineSession

# What each emulated release hands out: platform, major, minor, low 16 bits
# of the build, trimmed service-pack text.
RECORDS = {
    "win95": (1, 4, 0, 950, ""),
    "win98": (1, 4, 10, 2222, "A"),
    "winme": (1, 4, 90, 3000, ""),
    "nt351": (2, 3, 51, 1057, "Service Pack 5"),
    "nt40": (2, 4, 0, 1381, "Service Pack 6a"),
    "win2k": (2, 5, 0, 2195, "Service Pack 4"),
    "winxp": (2, 5, 1, 2600, "Service Pack 3"),
    "win2003": (2, 5, 2, 3790, "Service Pack 2"),
    "vista": (2, 6, 0, 6002, "Service Pack 2"),
    "win2008": (2, 6, 0, 6002, "Service Pack 2"),
    "win7": (2, 6, 1, 7601, "Service Pack 1"),
    "win2008r2": (2, 6, 1, 7601, "Service Pack 1"),
    "win8": (2, 6, 2, 9200, ""),
    "win81": (2, 6, 3, 9600, ""),
    "win10": (2, 10, 0, 18362, ""),
}

# release: (verbose line, status), (major line, status); None for no line.
RELEASES = {
    "win95": (("Windows 95 final OEM/Retail", 1), ("Windows 95 ", 1)),
    "win98": (("Windows 98 Second Edition final retail/OEM", 9), ("Windows 98 Second Edition ", 3)),
    "winme": (("Windows Millenium Edition", 10), ("Windows Millenium Edition", 4)),
    "nt40": (("Windows NT 4.0 Service Pack 6a", 11), ("Windows NT 4.0 Service Pack 6a", 5)),
    "win2k": (("Windows 2000 Service Pack 4", 12), ("Windows 2000 Service Pack 4", 6)),
    "winxp": (("Windows XP Service Pack 3", 15), ("Windows XP Service Pack 3", 7)),
    **{release: ((None, 0), (None, 0)) for release in ("nt351", "win2003", "vista", "win2008", "win7", "win2008r2",
                                                         "win8", "win81", "win10")},
}

# What /ALL adds on the releases after XP: line, /VERBOSE status, /MAJOR status. The product type is
# Wine 8's: its win7 says it is a server and its win2008r2 a workstation, so each is named as the other.
PRODUCT_TYPES = {"win2003": 3, "vista": 1, "win2008": 3, "win7": 3, "win2008r2": 1, "win8": 1, "win81": 1, "win10": 1}
LATER = {"win2003": ("Windows Server 2003 Service Pack 2", 17, 8), "vista": ("Windows Vista Service Pack 2", 18, 9),
         "win2008": ("Windows Server 2008 Service Pack 2", 19, 9),
         "win7": ("Windows Server 2008 R2 Service Pack 1", 21, 10), "win2008r2": ("Windows 7 Service Pack 1", 20, 10),
         "win8": ("Windows 8 ", 22, 11), "win81": ("Windows 8.1 ", 24, 12), "win10": ("Windows 10 ", 26, 13)}

WINE_KEY = r"HKCU\Software\Wine"
NT_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion"
WIN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion"
PRODUCT_KEY = r"HKLM\System\CurrentControlSet\Control\ProductOptions"


@dataclass
class Row:
    name: str
    command_line: bytes
    out: bytes
    status: int
    err: bytes = b""
    setup: list = field(default_factory=list)  # launcher directives before the run
    stdout: str = "pipe"
    program: str = None  # what the launcher starts, when not zepho.exe
    out_ends: bytes = b""  # when `out` is None: how the output must end


def version(release):
    return reg(WINE_KEY, "Version", release)


def env(name, value):
    if value is None:
        return [f"env unset {name}"]
    return [f"env set {name} {value.encode('latin-1').hex()}"]


def reg(key, name, value):
    if value is None:
        return [f"reg del {key.encode().hex()} {name}"]
    return [f"reg set {key.encode().hex()} {name} {value.encode('latin-1').hex()}"]


def release_rows():
    rows = []
    for release, ((vline, vstatus), (mline, mstatus)) in RELEASES.items():
        rec = RECORDS[release]
        setup = version(release)
        rows += [
            Row(f"{release}/major", b"zepho.exe", report(*rec, mline), mstatus, setup=setup),
            Row(f"{release}/verbose", b"zepho.exe /VERBOSE", report(*rec, vline), vstatus, setup=setup),
            Row(f"{release}/quiet", b"zepho.exe /verbose /quiet", b"", vstatus, setup=setup),
            Row(f"{release}/help", b"zepho.exe /Quiet /HELP", HELP, 0, setup=setup),
        ]
        line, verbose, major = LATER.get(release, (None, None, None))  # without a later row, as without /ALL
        rows += [Row(f"{release}/all-verbose", b"zepho /VERBOSE /ALL", report(*rec, line or vline), verbose or vstatus,
                     setup=setup),
                 Row(f"{release}/all-major", b"zepho /All", report(*rec, line or mline), major or mstatus, setup=setup)]
    return rows


def terminal_rows():
    rows = []
    cases = [("nt40", "WINSTATIONNAME", "SESSIONNAME", "Windows NT 4.0 Service Pack 6a", " Terminal Server Edition", 11),
             ("win2k", "SESSIONNAME", "WINSTATIONNAME", "Windows 2000 Service Pack 4", " Terminal Services Session", 12)]
    for release, marker, other, line, suffix, status in cases:
        rec = RECORDS[release]
        for state, value in (("set", "RDP-Tcp#7"), ("empty", ""), ("unset", None)):
            terminal = state == "set"
            out = report(*rec, line + (suffix if terminal else ""))
            setup = version(release) + env(marker, value) + env(other, "Console")
            rows.append(Row(f"{release}/{marker}-{state}", b"zepho /VERBOSE /TERMINALS", out,
                            status + 2 if terminal else status, setup=setup))
        # The marker of the other release counts for nothing, and without
        # /TERMINALS the marker is not looked at.
        rows.append(Row(f"{release}/only-{other}", b"zepho /VERBOSE /TERMINALS", report(*rec, line), status,
                        setup=version(release) + env(marker, None) + env(other, "RDP-Tcp#7")))
        rows.append(Row(f"{release}/no-switch", b"zepho /VERBOSE", report(*rec, line), status,
                        setup=version(release) + env(marker, "RDP-Tcp#7")))
    return rows


def command_line_rows():
    xp = RECORDS["winxp"]
    verbose = report(*xp, "Windows XP Service Pack 3")
    major = verbose  # XP's line is the same in both modes; the status tells them apart
    setup = version("winxp")
    return [
        Row("cmdline/quoted-name-and-pair", b'"C:\\Program Files\\zepho.exe" "" /verbose', verbose, 15, setup=setup),
        Row("cmdline/joined-quotes", b'zepho "/VER"BOSE', verbose, 15, setup=setup),
        Row("cmdline/tab", b"zepho\t/VERBOSE", verbose, 15, setup=setup),
        Row("cmdline/blank-inside-quotes", b'zepho " /VERBOSE"', major, 7, setup=setup),
        Row("cmdline/unclosed-quote-to-end", b'zepho /MAJOR " /VERBOSE', major, 7, setup=setup),
        Row("cmdline/high-bytes", b"zepho \xe9\xff /verbose\xa0", verbose, 15, setup=setup),
        Row("cmdline/long-quoted", b'zepho "' + b"x" * 5000 + b' /HELP" /VERBOSE', verbose, 15, setup=setup),
    ]


def output_rows():
    xp = RECORDS["winxp"]
    verbose = report(*xp, "Windows XP Service Pack 3")
    setup = version("winxp")
    return [
        Row("stdout/file", b"zepho /VERBOSE", verbose, 15, setup=setup, stdout="file"),
        Row("stdout/none", b"zepho /VERBOSE", b"", 1, failure(1, "I/O error 103."), setup=setup, stdout="none"),
        Row("stdout/invalid", b"zepho /VERBOSE", b"", 1, failure(1, "I/O error 103."), setup=setup, stdout="invalid"),
        # The first 128-byte block leaves during the eighth line, the release line.
        Row("stdout/reader-gone", b"zepho /VERBOSE", b"", 1, failure(8, "I/O error 232."), setup=setup, stdout="broken"),
        Row("stdout/quiet-needs-none", b"zepho /VERBOSE /QUIET", b"", 15, setup=setup, stdout="none"),
    ]


def record_rows():
    """Version records that no stock release gives, set up in the registry."""
    rows = []
    nt = reg(WINE_KEY, "Version", None) + reg(NT_KEY, "CurrentVersion", "4.0")
    for build, csd, shown, line, status in [
        ("1381", "  Service Pack 9\xe9 ", "Service Pack 9\xe9", "Windows NT 4.0 Service Pack 9\xe9", 11),
        ("2195", "", "", "Windows 2000 ", 12),
        ("3000", "Service Pack 1", "Service Pack 1", None, 0),
    ]:
        setup = nt + reg(NT_KEY, "CurrentBuildNumber", build) + reg(NT_KEY, "CSDVersion", csd)
        rows.append(Row(f"record/nt-{build}", b"zepho /VERBOSE", report(2, 4, 0, build, shown, line), status,
                        setup=setup))
    rows.append(Row("record/nt-2195-terminal", b"zepho /VERBOSE /TERMINALS",
                    report(2, 4, 0, 2195, "", "Windows 2000  Terminal Services Session"), 14,
                    setup=nt + reg(NT_KEY, "CurrentBuildNumber", "2195") + reg(NT_KEY, "CSDVersion", "")
                    + env("SESSIONNAME", "x")))
    nine = reg(WINE_KEY, "Version", None) + reg(NT_KEY, "CurrentVersion", None) + reg(WIN_KEY, "SubVersionNumber", "")
    for number, line, status in [
        ("4.00.951", "Windows 95a OSR1 final Update", 2),
        ("4.00.971", "Windows 95B OSR 2.1 final OEM", 5),
        ("4.00.1111", "Windows 95B OSR 2.0 final OEM", 3),
        ("4.00.1212", "Windows 95B OSR 2.1 final Update", 4),
        ("4.00.1214", "Windows 95C OSR 2.5 final OEM", 6),
        ("4.10.1998", "Windows 98 final retail/OEM", 7),
        ("4.10.2000", "Windows 98 SP1 final Update", 8),
    ]:
        major, minor, build = number.split(".")
        rows.append(Row(f"record/9x-{build}", b"zepho /VERBOSE",
                        report(1, int(major), int(minor), int(build), "", line), status,
                        setup=nine + reg(WIN_KEY, "VersionNumber", number)))
    rows.append(Row("record/9x-2000-major", b"zepho", report(1, 4, 10, 2000, "", "Windows 98"), 2,
                    setup=nine + reg(WIN_KEY, "VersionNumber", "4.10.2000")))
    rows.append(Row("record/win31", b"zepho /VERBOSE", None, 0, setup=version("win31")))
    for number, build, product, csd, line, verbose, major in [
        ("5.2", "3790", "WinNT", "Service Pack 2", "XP Professional x64 Edition Service Pack 2", 16, 8),
        ("6.2", "9200", "ServerNT", "", "Server 2012 ", 23, 11), ("6.3", "9600", "ServerNT", "", "Server 2012 R2 ", 25, 12),
        ("10.0", "14393", "ServerNT", "", "Server 2016 ", 27, 13), ("10.0", "17763", "ServerNT", "", "Server 2019 ", 28, 13),
        ("10.0", "20348", "LanmanNT", "", "Server 2022 ", 29, 13), ("10.0", "26100", "ServerNT", "", "Server 2025 ", 31, 14),
        ("10.0", "22631", "WinNT", "", "11 ", 30, 14), ("10.0", "26100", "WinNT", "", "11 ", 30, 14),
        ("10.0", "22631", "Unknown", "", None, 0, 0),
    ]:
        setup = version(None) + reg(NT_KEY, "CurrentVersion", number) + reg(NT_KEY, "CurrentBuildNumber", build) + reg(
            NT_KEY, "CSDVersion", csd) + reg(PRODUCT_KEY, "ProductType", product)
        out = report(2, *number.split("."), build, csd, line and "Windows " + line)
        rows += [Row(f"record/all-{number}-{build}-{product}", b"zepho /VERBOSE /ALL", out, verbose, setup=setup),
                 Row(f"record/all-{number}-{build}-{product}-major", b"zepho /ALL", out, major, setup=setup)]
    return rows


def batch_rows(exe, examples):
    """The example batch files under cmd /c, once for every status of their
    mode, each in the world of the first row above that gives that status."""
    rows = []
    path = env("PATH", winpath(os.path.dirname(exe)) + r";C:\windows\system32;C:\windows")
    worlds = [row for row in release_rows() + terminal_rows() + record_rows()
              if row.status is not None and b"/HELP" not in row.command_line.upper()]
    worlds.sort(key=lambda row: b"/TERMINALS" not in row.command_line.upper())  # the script asks for them
    for script, mode, verbose in (("whichwin.bat", "verbose", True), ("whichmaj.bat", "major", False)):
        statuses = {}
        for row in worlds:
            if (b"/VERBOSE" in row.command_line.upper()) == verbose:
                statuses.setdefault(row.status, row)
        for status, row in sorted(statuses.items()):
            rows.append(Row(f"batch/{script}/{status}", b"cmd /c " + winpath(os.path.join(examples, script)).encode(),
                            None, None, setup=row.setup + path, program=r"C:\windows\system32\cmd.exe",
                            out_ends=f"({mode} status {status})\r\n".encode() if status else b"Unknown release\r\n"))
    return rows


def zepho_rows():
    """Every row that starts zepho.exe itself; each row's setup stands alone."""
    return release_rows() + terminal_rows() + command_line_rows() + output_rows() + record_rows()


def dos_rows(wine):
    """Under DOS: ZEPHO.EXE prints nothing, status 0; the image's batch files print what cmd.exe does (`wine`)."""
    zepho = [Row(f"dos/zepho {tail}".strip(), f"ZEPHO {tail}".encode(), b"", 0)
             for tail in ("", "/VERBOSE /QUIET", "/quiet", "/HELP", '"/QUIET" /MAJOR')]
    return zepho + [Row(f"dos/A:{name}", f"A:\r\ncommand /c {name}".encode(), b"Unknown release\r\n", 0)
                    for name in ("WHICHWIN.BAT", "WHICHMAJ.BAT")] + [
        Row(f"dos/{name}/{n}", b"cd S%d\r\ncommand /c A:\\%s" % (n, name.encode()),
            wine.get(f"batch/{name.lower()}/{n}", (0, None, b""))[1], None) for name, top in (
                ("WHICHWIN.BAT", 15), ("WHICHMAJ.BAT", 7)) for n in range(top + 1)]


PAGE_COMMANDS = [
    ("zepho", b"zepho", []),
    ("zepho /VERBOSE", b"zepho /VERBOSE", []),
    ("zepho /VERBOSE /TERMINALS", b"zepho /VERBOSE /TERMINALS",
     env("WINSTATIONNAME", "RDP-Tcp#7") + env("SESSIONNAME", "RDP-Tcp#7")),
]


def page_rows():
    """Runs whose output makes up docs/releases.md; the page is the check."""
    return [Row(f"page/{release}/{i}", line, None, None, setup=version(release) + setup)
            for release in RECORDS for i, (_, line, setup) in enumerate(PAGE_COMMANDS)]


def render_page(results):
    text = ["# What zepho prints on each release", "",
            "Generated by `tests/wine/run_wine_tests.py --write-releases docs/releases.md` from",
            "`build/win32/zepho.exe` under Wine, which emulates each release; the Wine rows fail",
            "when this page no longer matches what the program prints. `/TERMINALS` runs have",
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
             "| release | line | `zepho /VERBOSE /ALL` | `zepho /ALL` |", "|---|---|---|---|"]
    for release in RECORDS:
        (verbose, out, _), (major, _, _) = (results.get(f"{release}/all-{m}", (None, b"", b"")) for m in ("verbose", "major"))
        line = out.decode("latin-1").rstrip("\r\n").split("\r\n")[-1]
        text.append(f"| {release} | `{line}` | {verbose} | {major} |" if line.startswith("Op") else f"| {release} | none | {verbose} | {major} |")
    return "\n".join(text) + "\n"


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


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
    done = wine.run([winpath(launcher), winpath(cases)], capture_output=True, timeout=1800)
    results = {}
    for line in done.stdout.decode("latin-1").splitlines():
        parts = line.split()
        if len(parts) == 5 and parts[0] == "result":
            unhex = lambda h: b"" if h == "-" else bytes.fromhex(h)
            results[parts[1]] = (int(parts[2]), unhex(parts[3]), unhex(parts[4]))
    if done.returncode != 0:
        print(f"launcher ended with {done.returncode}: {done.stderr.decode('latin-1')}")
    return results


def run_dosbox(exe, rows, folder):
    """{name: (status, stdout, stderr)}: one DOSBox, C: with ZEPHO.EXE, ONE.COM, S0-S15\\ZEPHO.COM, A: the image."""
    subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "../../scripts/make_package.py"),
                    "--exe", exe, "--version", "dos", "--out", folder], check=True, capture_output=True)
    run = [b"@echo off", b"imgmount a %s/zepho-dos.img -t floppy" % folder.encode()]
    for i, r in enumerate(rows):  # ONE.COM's status 1 stands if the row runs nothing
        run += [b"C:", b"cd\\", b"ONE", r.command_line + b">C:\\%d.OUT" % i, b"if errorlevel 1 echo %d>>C:\\STATUS.TXT" % i]
    doubles = [("ONE.COM", 1)] + [(f"S{n}/ZEPHO.COM", n) for n in range(16)]  # mov ax,4Cxxh; int 21h
    files = {"ZEPHO.EXE": open(exe, "rb").read(), "RUN.BAT": b"\r\n".join(run + [b"exit", b""]),
             **{name: b"\xb8%c\x4c\xcd\x21" % n for name, n in doubles}}
    for name, data in files.items():
        os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    subprocess.run(["dosbox", "-c", f"mount c {folder}", "-c", "c:", "-c", "RUN.BAT"], timeout=300, check=True,
                   capture_output=True, env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy"))
    out = {name: open(os.path.join(folder, name), "rb").read() for name in os.listdir(folder) if "." in name}
    return {row.name: (int(b"%d" % i in out.get("STATUS.TXT", b"").split()), out.get(f"{i}.OUT"), b"")
            for i, row in enumerate(rows)}


def check(row, status, out, err):
    problems = []
    if row.status is not None and status != row.status:
        problems.append(f"status {status}, expected {row.status}")
    if row.out is not None and out != row.out:
        problems.append(f"stdout {out!r}, expected {row.out!r}")
    if row.out is None and not out.endswith(row.out_ends):
        problems.append(f"stdout {out!r}, expected it to end in {row.out_ends!r}")
    if err != row.err:
        problems.append(f"stderr {err!r}, expected {row.err!r}")
    return problems


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
    parser.add_argument("--exe", required=True)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--examples", required=True)
    parser.add_argument("--only", default="", help="run only the rows whose name starts with this")
    parser.add_argument("--releases", help="docs/releases.md, to compare with what the program prints")
    parser.add_argument("--write-releases", help="write the page of releases here instead of comparing")
    args = parser.parse_args()

    started = time.monotonic()
    workdir = tempfile.mkdtemp(prefix="zepho-wine-")
    wine = WineSession(os.path.join(workdir, "prefix"))
    passed = failed = 0
    try:
        wine.start()
        rows = zepho_rows() + page_rows() + batch_rows(args.exe, args.examples)
        rows = [row for row in rows if row.name.startswith(args.only)]
        results = run_launcher(wine, args.launcher, args.exe, rows, workdir)
        dos = [row for row in dos_rows(results) if row.name.startswith(args.only)]
        results.update(run_dosbox(args.exe, dos, os.path.join(workdir, "dos")) if dos else {})
        outcomes = []
        for row in rows + dos:
            if row.name not in results:
                outcomes.append((row.name, ["no result from the launcher"]))
            else:
                outcomes.append((row.name, check(row, *results[row.name])))
        if args.write_releases:
            with open(args.write_releases, "w") as f:
                f.write(render_page(results))
        elif args.releases and not args.only:
            with open(args.releases) as f:
                same = f.read() == render_page(results)
            outcomes.append(("page/releases.md", [] if same else [
                f"{args.releases} differs from what zepho.exe prints; regenerate it with --write-releases"]))
        if not args.only or args.only.startswith("unix"):
            outcomes += unix_rows(wine, args.exe, workdir)
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
