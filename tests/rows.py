"""The rows both end-to-end suites run: what each release Wine emulates hands
out, the command lines, worlds and exact bytes zepho.exe must give, and the
check of a result against a row. tests/wine runs them under Wine;
tests/cpu runs them on the emulated CPU."""
import os
from dataclasses import dataclass, field


def crlf(*lines: str) -> bytes:
    return b"".join(line.encode("latin-1") + b"\r\n" for line in lines)


# The help screen, byte for byte; the unit tests read the same file.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "help.txt"), "rb") as f:
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


def zepho_rows():
    """Every row that starts zepho.exe itself; each row's setup stands alone."""
    return release_rows() + terminal_rows() + command_line_rows() + output_rows() + record_rows()


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
