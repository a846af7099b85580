#!/usr/bin/python3
"""The one reader of tests/data/releases.txt, the hand-written expectations
that the unit tests, the emulated-CPU rows and the Wine rows all check.

    /usr/bin/python3 tests/cases.py --write-cc FILE

writes the cases as C++ rows for the unit tests; the build runs it whenever
the file or this reader changes, so the unit tests' list follows the data.
A line that does not fit the grammar in the file's header stops the reader
with the file name, the line number and what was expected.
"""
import argparse
import os
import re
from dataclasses import dataclass

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PATH = os.path.join(ROOT, "tests", "data", "releases.txt")

NUMBER = r"(?:0|[1-9][0-9]*)"
BUILD = rf"(?:{NUMBER}|0x[0-9A-Fa-f]{{1,8}})"
VERSION = re.compile(rf"({NUMBER})\.({NUMBER})\.({BUILD}(?:,{BUILD})*)")
PAIR = re.compile(r"([A-Z_][A-Z0-9_]*)=([^,]*)")
# A quoted text holds no quote and no backslash; a bare one no blank either.
TOKEN = re.compile(r'[ \t]*(?:"([^"\\]*)"|([^ \t"\\]+))')


class CaseError(ValueError):
    pass


@dataclass
class Case:
    """One build of a line: a record, what the platform adds, and each run's switches and status."""
    number: int  # of the line, which may give several builds
    record: tuple  # platform, major, minor, build, service pack
    product_type: int  # None: the longer record is refused
    env: dict  # NAME: value, "" for set but empty
    runs: list  # (switches, status)
    line: str  # after "Operating System: ", for a status other than 0; None for none

    def key(self):
        platform, major, minor, build, csd = self.record
        return platform, major, minor, build & 0xFFFF, csd.strip(), self.product_type


def tokens(text, where):
    """(text, quoted) for each field of a line."""
    found = []
    position = 0
    while text[position:].strip(" \t"):
        match = TOKEN.match(text, position)
        if match is None:
            raise CaseError(f"{where}: expected a field, a bare word or a quoted text without a backslash "
                            f"or a quote inside, at {text[position:].strip()!r}")
        quoted = match.group(1) is not None
        found.append((match.group(1) if quoted else match.group(2), quoted))
        position = match.end()
    return found


def number(field, where, what, highest=0xFFFFFFFF):
    text, quoted = field
    if quoted or not re.fullmatch(NUMBER, text) or int(text) > highest:
        raise CaseError(f"{where}: expected {what}, a decimal number up to {highest} without leading zeros, "
                        f"got {text!r}")
    return int(text)


def quoted(field, where, what, none_allowed=False):
    text, was_quoted = field
    if none_allowed and not was_quoted and text == "-":
        return None
    if not was_quoted:
        raise CaseError(f"{where}: expected {what} in quotes{' or -' if none_allowed else ''}, got {text!r}")
    return text


def environment(field, where):
    text, was_quoted = field
    if not was_quoted and text == "-":
        return {}
    pairs = [PAIR.fullmatch(pair) for pair in text.split(",")]
    if was_quoted or None in pairs:
        raise CaseError(f"{where}: expected - or NAME=value pairs joined by commas, got {text!r}")
    return {pair.group(1): pair.group(2) for pair in pairs}


def parse_line(text, where):
    """The cases of one line, or none for a comment or a blank line."""
    if text.startswith("#") or not text.strip(" \t\n"):
        return []
    fields = tokens(text.rstrip("\n"), where)
    if len(fields) < 8 or len(fields) % 2 != 0:
        raise CaseError(f"{where}: expected platform, version, service pack, product type, environment, "
                        f"pairs of switches and status, and the line: got {len(fields)} fields")
    platform = number(fields[0], where, "the platform")
    version_text, version_quoted = fields[1]
    version = VERSION.fullmatch(version_text)
    if version_quoted or version is None:
        raise CaseError(f"{where}: expected major.minor.builds, the builds joined by commas, each decimal "
                        f"or 0x and up to eight hex digits, got {version_text!r}")
    builds = [int(build, 0) for build in version.group(3).split(",")]
    major = number((version.group(1), False), where, "the major version")
    minor = number((version.group(2), False), where, "the minor version")
    if any(build > 0xFFFFFFFF for build in builds):
        raise CaseError(f"{where}: expected builds of 32 bits, got {version_text!r}")
    csd = quoted(fields[2], where, "the service pack")
    product = None if fields[3] == ("-", False) else number(fields[3], where, "the product type or -", 255)
    env = environment(fields[4], where)
    runs = []
    for i in range(5, len(fields) - 1, 2):
        switches = quoted(fields[i], where, "the switches")
        runs.append((switches, number(fields[i + 1], where, "a status", 255)))
    line = quoted(fields[-1], where, "the release line", none_allowed=True)
    return [Case(0, (platform, major, minor, build, csd), product, env, runs, line) for build in builds]


def read_cases(path=PATH):
    cases = []
    with open(path, encoding="ascii") as f:
        for number_of_line, text in enumerate(f, 1):
            for case in parse_line(text, f"{os.path.relpath(path, ROOT)}:{number_of_line}"):
                case.number = number_of_line
                cases.append(case)
    return cases


def cc_text(text):
    """A C++ string literal of the text, every byte but letters, digits and blanks as an octal escape."""
    return '"' + "".join(c if c.isalnum() or c == " " else f"\\{ord(c):03o}" for c in text) + '"'


def write_cc(cases, path):
    rows = ["// Made from tests/data/releases.txt by tests/cases.py; edit that file, not this one."]
    for case in cases:
        platform, major, minor, build, csd = case.record
        product = "std::nullopt" if case.product_type is None else f"uint8_t{{{case.product_type}}}"
        env = ", ".join(f"{{{cc_text(name)}, {cc_text(value)}}}" for name, value in case.env.items())
        runs = ", ".join(f"{{{cc_text(switches)}, {status}u}}" for switches, status in case.runs)
        line = "std::nullopt" if case.line is None else cc_text(case.line)
        rows.append(f"{{{case.number}, {platform}u, {major}u, {minor}u, {build}u, {cc_text(csd)}, {product}, "
                    f"{{{env}}}, {{{runs}}}, {line}}},")
    with open(path, "w", encoding="ascii") as f:
        f.write("\n".join(rows) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--write-cc", required=True, help="the C++ rows to write")
    args = parser.parse_args()
    write_cc(read_cases(), args.write_cc)


if __name__ == "__main__":
    main()
