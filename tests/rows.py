"""The rows of the end-to-end suites: what each release Wine emulates hands
out, the cases of tests/data/releases.txt, the command lines, worlds and
exact bytes zepho.exe must give, and the check of a result against a row.
tests/wine runs them under Wine; tests/cpu runs the cases and the rows about
the command line and standard output on the emulated CPU."""
import os
import re
from dataclasses import dataclass, field, replace

from tests.cases import read_cases
from tools.regenerate import ROOT, manual_parts


def crlf(*lines: str) -> bytes:
    return b"".join(line.encode("latin-1") + b"\r\n" for line in lines)


DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")
with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
    VERSION = re.search(r"project\(zepho VERSION (\S+)", f.read()).group(1)  # what /VERSION and /SET give
# The help screen, byte for byte; the unit tests read the same file.
with open(os.path.join(DATA, "help.txt"), "rb") as f:
    HELP = f.read()


def report(platform, major, minor, build, csd, release=None) -> bytes:
    """The seven report lines, then the release line if there is one."""
    lines = [" ",
             f"Platform        : {platform}",
             f"Major Version   : {major}",
             f"Minor Version   : {minor}",
             f"Build           : {build}",
             f"CSD Version     : {csd}",
             " "]
    if release is not None:
        lines.append("Operating System: " + release)
    return crlf(*lines)


def failure(place: int, message: str, module: str = "zepho.exe") -> bytes:
    return crlf(f"Exception EInOutError in module {module} at {place:08X}.\n{message}")


# What each emulated release hands out: platform, major, minor, low 16 bits of the build, trimmed
# service-pack text. And the product type Wine 8 gives in the longer record (None: refused or never asked):
# its win7 says it is a server and its win2008r2 a workstation, so /ALL names each as the other.
RECORDS = {
    "win95": (1, 4, 0, 950, ""), "win98": (1, 4, 10, 2222, "A"), "winme": (1, 4, 90, 3000, ""),
    "nt351": (2, 3, 51, 1057, "Service Pack 5"), "nt40": (2, 4, 0, 1381, "Service Pack 6a"),
    "win2k": (2, 5, 0, 2195, "Service Pack 4"), "winxp": (2, 5, 1, 2600, "Service Pack 3"),
    "win2003": (2, 5, 2, 3790, "Service Pack 2"), "vista": (2, 6, 0, 6002, "Service Pack 2"),
    "win2008": (2, 6, 0, 6002, "Service Pack 2"), "win7": (2, 6, 1, 7601, "Service Pack 1"),
    "win2008r2": (2, 6, 1, 7601, "Service Pack 1"), "win8": (2, 6, 2, 9200, ""), "win81": (2, 6, 3, 9600, ""),
    "win10": (2, 10, 0, 18362, ""),
}
PRODUCT_TYPES = {"win2003": 3, "vista": 1, "win2008": 3, "win7": 3, "win2008r2": 1, "win8": 1, "win81": 1, "win10": 1}


def rows_of_case(case, name, setup):
    """A row for each switch set of a case, with both session markers set or unset as the case has them."""
    p, major, minor, build, csd = case.record
    markers = []
    for marker in ("WINSTATIONNAME", "SESSIONNAME"):
        markers += env(marker, case.env.get(marker))
    rows = []
    for switches, status in case.runs:
        release = case.line if status else None
        rows.append(Row(f"{name}/{case.number}.{build}/{switches.replace(' ', '') or '-'}",
                        f"zepho {switches}".encode(), report(p, major, minor, build & 0xFFFF, csd.strip(), release),
                        status, setup=setup + markers))
    return rows


def set_rows_of_case(case, name):
    """The runs of a case again with /SET, whose first two lines give the status and the release line's name."""
    rows = []
    for row in rows_of_case(case, name, []):
        release = ""
        if row.status:
            csd = case.record[4].strip() if case.record[0] == 2 else ""
            release = " ".join(case.line.replace(csd, "", 1).split())
        first = b"SET ZEPHO_STATUS=%d\r\nSET ZEPHO_RELEASE=%s\r\n" % (row.status, release.encode())
        rows.append(replace(row, name=row.name + "/SET", command_line=row.command_line + b" /SET", out=None,
                            out_starts=first))
    return rows


CASES = read_cases()


def case_rows(name, setup, key, quiet=False):
    """The rows of every case for what a Wine setting hands out, `key` (Case.key), and maybe one under /QUIET."""
    rows = []
    for case in CASES:
        if case.key() == key:
            rows += rows_of_case(case, name, setup)
    if not rows:
        raise SystemExit(f"tests/data/releases.txt has no case for {name}, which gives {key}")
    if quiet:
        rows.append(replace(rows[0], name=f"{name}/quiet", command_line=rows[0].command_line + b" /quiet", out=b""))
    return rows


WINE_KEY = r"HKCU\Software\Wine"
NT_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion"
WIN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion"
PRODUCT_KEY = r"HKLM\System\CurrentControlSet\Control\ProductOptions"
PRODUCTS = {1: "WinNT", 2: "LanmanNT", 3: "ServerNT", 0: "Unknown"}  # ProductType as Wine reads it


@dataclass
class Row:
    name: str
    command_line: bytes
    out: bytes
    status: int
    err: bytes = b""  # None: anything
    setup: list = field(default_factory=list)  # launcher directives before the run
    stdout: str = "pipe"
    program: str = None  # what the launcher starts, when not zepho.exe
    out_ends: bytes = b""  # when `out` is None: how the output must end ...
    out_starts: bytes = b""  # ... and begin


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
    for release, record in RECORDS.items():
        rows += case_rows(release, version(release), (*record, PRODUCT_TYPES.get(release)), quiet=True)
        rows.append(Row(f"{release}/help", b"zepho.exe /Quiet /HELP", HELP, 0, setup=version(release)))
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
        Row("cmdline/version", b"zepho /Version /QUIET", None, 0, setup=setup, out_starts=f"zepho {VERSION} ".encode()),
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
    nt = reg(WINE_KEY, "Version", None) + reg(NT_KEY, "CurrentVersion", "4.0") + reg(PRODUCT_KEY, "ProductType", None)
    for build, csd in [("1381", "  Service Pack 6a "), ("2222", "")]:
        setup = nt + reg(NT_KEY, "CurrentBuildNumber", build) + reg(NT_KEY, "CSDVersion", csd)
        rows += case_rows(f"record/nt-{build}", setup, (2, 4, 0, int(build), csd.strip(), None))
    nine = reg(WINE_KEY, "Version", None) + reg(NT_KEY, "CurrentVersion", None) + reg(WIN_KEY, "SubVersionNumber", "")
    for number in ("4.00.951", "4.00.971", "4.00.1111", "4.00.1212", "4.00.1214", "4.10.1998", "4.10.2000"):
        setup = nine + reg(WIN_KEY, "VersionNumber", number)
        rows += case_rows(f"record/9x-{number}", setup, (1, *map(int, number.split(".")), "", None))
    rows.append(Row("record/win31", b"zepho /VERBOSE", None, 0, setup=version("win31")))
    # Every NT case from 5.2 on that the registry can make, under /ALL: what a release named later brings, too.
    for key in dict.fromkeys(case.key() for case in CASES):
        p, major, minor, build, csd, product = key
        if p == 2 and f"{major}.{minor}" in ("5.2", "6.0", "6.1", "6.2", "6.3", "10.0") and product in PRODUCTS:
            setup = version(None) + reg(NT_KEY, "CurrentVersion", f"{major}.{minor}") + reg(
                NT_KEY, "CurrentBuildNumber", str(build)) + reg(NT_KEY, "CSDVersion", csd) + reg(
                PRODUCT_KEY, "ProductType", PRODUCTS[product])
            made = case_rows(f"record/{major}.{minor}.{build}-{product}", setup, key)
            rows += [row for row in made if b"/ALL" in row.command_line]
    return rows


NOT_FOUND = b"ZEPHO.EXE not found: put it in the current folder or on the PATH\r\n"  # what COMMAND.COM's branch says


def loader_failed(folder, builds, broken=()):
    """What ZEPHOSET.BAT in `folder` (a Windows path) says where no build gave facts: each build beside it, not
    there or, in `broken`, there but gave none; where none was beside it, each not on the PATH either."""
    lines = []
    for build in builds:
        if build in broken:
            lines.append(f"{folder}\\{build}: there but gave no facts: damaged, wrong processor or blocked")
        else:
            lines.append(f"{folder}\\{build}: not there")
    if not broken:
        lines += [f"{build}: not on the PATH" for build in builds]
    return crlf(*lines)


# What only cmd.exe reads: its variables and %~ modifiers, "::" comments, blocks in parentheses, SETLOCAL, GOTO :EOF, EXIT /B, FOR /F
# and IF's comparisons.
CMD_ONLY = re.compile(r"%ERRORLEVEL%|%~|^\s*::|\(\s*$|^\s*\)|\bSETLOCAL\b|\bGOTO\s+:EOF\b|\bEXIT\s+/B\b|\bFOR\s+/F\b"
                      r"|\s(EQU|NEQ|LSS|LEQ|GTR|GEQ)\s", re.I | re.M)
# What each batch example of the documents prints, in the order they stand there: on Windows 10 (/VERBOSE /ALL
# status 26, a 32-bit workstation) under Wine's win10 and in DOSBox beside a double that gives what it does, and
# in DOSBox where there is no ZEPHO.EXE (cmd.exe's scripts then print ZEPHOSET.BAT's NOT_FOUND); then what differs
# in a 64-bit prefix, on a registry-made 10.0 workstation of a build no row names, and with Windows PE's key.
MISSING, NO_FACTS = "ZEPHO.EXE not found: put it in the current folder or on the PATH", \
    "ZEPHO.EXE not found, or not on Windows"
WORKSTATION = "A workstation: XP x64, Vista, 7 or a later desktop Windows"
NEWER_THAN_XP = ("Windows XP x64, Server 2003, Vista or later", MISSING)
FACTS = [("Older than Windows 11 24H2", NO_FACTS, {"later": "Windows 11 24H2 or later"}),
         ("Not a server", NO_FACTS),
         ("Installing the x86 files", NO_FACTS, {"win64": "Installing the x64 files"}),
         ("Not Windows PE: Windows 10 on x86", NO_FACTS, {"win64": "Not Windows PE: Windows 10 on x64",
                                                          "pe": "Windows PE of Windows 10 build 18362 on x86"})]
EXAMPLE_OUTPUT = {
    "README.md": [("Windows 10, build 18362", MISSING), (WORKSTATION, MISSING), *FACTS, NEWER_THAN_XP],
    "docs/zepho.txt": [NEWER_THAN_XP, (WORKSTATION, MISSING),
                       ("Settings for XP x64, Server 2003, Vista and later", MISSING), *FACTS],
}


def runs_under_command_com(text):
    """Whether COMMAND.COM runs the example: what only cmd.exe reads stands, if anywhere, in its :nt branch."""
    outside_nt = re.sub(r"^:nt\n.*?^(?=:)", "", text, flags=re.I | re.M | re.S)
    return not CMD_ONLY.search(outside_nt)


def examples(tables):
    """(document, text) of every batch example that a reader can copy whole from the README and the manual, the
    manual's made parts filled in: a block that starts with @echo off."""
    found = []
    with open(os.path.join(ROOT, "README.md")) as f:
        readme = f.read()
    for text in re.findall(r"^```bat\n(@echo off\n.*?)^```", readme, re.M | re.S):
        found.append(("README.md", text))
    with open(os.path.join(ROOT, "docs/zepho.txt")) as f:
        manual = f.read()
    for key, value in manual_parts(tables).items():
        manual = manual.replace(f"@{key}@", value)
    for text in re.findall(r"^  @ECHO OFF\n(?:  \S.*\n)*", manual, re.M | re.I):
        found.append(("docs/zepho.txt", "".join(line[2:] + "\n" for line in text.splitlines())))
    return found


def zepho_rows():
    """Every row that starts zepho.exe itself; each row's setup stands alone."""
    return release_rows() + command_line_rows() + output_rows() + record_rows()


def check(row, status, out, err):
    problems = []
    if row.status is not None and status != row.status:
        problems.append(f"status {status}, expected {row.status}")
    if row.out is not None and out != row.out:
        problems.append(f"stdout {out!r}, expected {row.out!r}")
    if row.out is None and not (out.endswith(row.out_ends) and out.startswith(row.out_starts)):
        problems.append(f"stdout {out!r}, expected it to begin {row.out_starts!r} and end {row.out_ends!r}")
    if row.err is not None and err != row.err:  # None: what Wine says of a program it cannot start
        problems.append(f"stderr {err!r}, expected {row.err!r}")
    return problems
