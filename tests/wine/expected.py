"""What zepho.exe prints, built from the same labels a user sees."""
import os



def crlf(*lines: str) -> bytes:
    return b"".join(line.encode("latin-1") + b"\r\n" for line in lines)


# The help screen, byte for byte; the unit tests read the same file.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "help.txt"), "rb") as f:
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
