"""What zepho.exe prints, built from the same labels a user sees."""

HELP_LINES = [
    " ", "", " ",
    "Usage: ZEPHO [/VERBOSE or /MAJOR] [/HELP] [/QUIET] ",
    " ",
    "/VERBOSE - Parameter that lets you detect the operating system to",
    "the BUILD level.",
    "/MAJOR - Parameter that detects the operating system at the major ",
    "revision levels only. This is the default setting.",
    "/HELP - Optional parameter, displays this help information",
    "/QUIET - Optional parameter, suppresses all screen output",
    "",
    "While in VERBOSE mode the program will return the following ERRORLEVELS",
    "indicating the operating system.",
    "ERRORLEVEL 15 = Windows XP",
    "ERRORLEVEL 14 = Windows 2000 Terminal Services Session",
    "ERRORLEVEL 13 = Windows NT 4.0 Terminal Server Edition",
    "ERRORLEVEL 12 = Windows 2000 ",
    "ERRORLEVEL 11 = Windows NT 4.0",
    "ERRORLEVEL 10 = Windows Millenium Edition",
    "ERRORLEVEL 9  = Windows 98 Second Edition final retail/OEM",
    "ERRORLEVEL 8  = Windows 98 SP1 final Update",
    "ERRORLEVEL 7  = Windows 98 final retail/OEM",
    "ERRORLEVEL 6  = Windows 95C OSR 2.5 final OEM",
    "ERRORLEVEL 5  = Windows 95B OSR 2.1 final OEM",
    "ERRORLEVEL 4  = Windows 95B OSR 2.1 final Update",
    "ERRORLEVEL 3  = Windows 95B OSR 2.0 final OEM",
    "ERRORLEVEL 2  = Windows 95a OSR1 final Update",
    "ERRORLEVEL 1  = Windows 95 final OEM/Retail",
    " ",
    "While in MAJOR mode the program will return the following ERRORLEVELS",
    "indicating the operating system.",
    "ERRORLEVEL 7 = Windows XP",
    "ERRORLEVEL 6 = Windows 2000 ",
    "ERRORLEVEL 5 = Windows NT 4.0",
    "ERRORLEVEL 4 = Windows Millenium Edition",
    "ERRORLEVEL 3 = Windows 98 Second Edition",
    "ERRORLEVEL 2 = Windows 98",
    "ERRORLEVEL 1 = Windows 95",
]


def crlf(*lines: str) -> bytes:
    return b"".join(line.encode("latin-1") + b"\r\n" for line in lines)


HELP = crlf(*HELP_LINES)


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
