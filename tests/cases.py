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
BYTE = r"(?:25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])"
BUILD = rf"(?:{NUMBER}|0x[0-9A-Fa-f]{{1,8}})"
PAIR = r"[A-Z_][A-Z0-9_]*=[^,]*"
# A field as an error names it, the pattern of its text, and whether it is quoted.
PLATFORM = ("the platform, a decimal number", NUMBER, False)
VERSION = ("major.minor.builds, the builds joined by commas, each decimal or 0x and up to eight hex digits",
           rf"({NUMBER})\.({NUMBER})\.({BUILD}(?:,{BUILD})*)", False)
TEXT = ("a quoted text", r".*", True)
PRODUCT = ("the product type, a number up to 255, or -", rf"-|{BYTE}", False)
ENVIRONMENT = ("- or NAME=value pairs joined by commas", rf"-|{PAIR}(?:,{PAIR})*", False)
STATUS = ("a status, a number up to 255", BYTE, False)
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
            raise CaseError(f"{where}: expected a bare word or a quoted text without a quote or a backslash "
                            f"inside, at {text[position:].strip()!r}")
        found.append((match.group(2), False) if match.group(1) is None else (match.group(1), True))
        position = match.end()
    return found


def check(field, kind, where):
    """The match of the field's text against its kind's pattern."""
    what, pattern, quoted = kind
    match = re.fullmatch(pattern, field[0])
    if match is None or field[1] != quoted:
        raise CaseError(f"{where}: expected {what}, got {field[0]!r}")
    return match


def parse_line(text, where):
    """The cases of one line, or none for a comment or a blank line."""
    if text.startswith("#") or not text.strip(" \t\n"):
        return []
    fields = tokens(text.rstrip("\n"), where)
    if len(fields) < 8 or len(fields) % 2 != 0:
        raise CaseError(f"{where}: expected platform, version, service pack, product type, environment, pairs "
                        f"of switches and status, and the release line: got {len(fields)} fields")
    platform = int(check(fields[0], PLATFORM, where).group())
    major, minor, builds = check(fields[1], VERSION, where).groups()
    numbers = [platform, int(major), int(minor)] + [int(build, 0) for build in builds.split(",")]
    if max(numbers) > 0xFFFFFFFF:
        raise CaseError(f"{where}: expected numbers of at most 32 bits, got {max(numbers)}")
    csd = check(fields[2], TEXT, where).group()
    product = check(fields[3], PRODUCT, where).group()
    env = {}
    for pair in check(fields[4], ENVIRONMENT, where).group().split(","):
        if pair != "-":
            name, value = pair.split("=", 1)
            env[name] = value
    runs = []
    for i in range(5, len(fields) - 1, 2):
        runs.append((check(fields[i], TEXT, where).group(), int(check(fields[i + 1], STATUS, where).group())))
    line = None if fields[-1] == ("-", False) else check(fields[-1], TEXT, where).group()
    return [Case(0, (*numbers[:3], build, csd), None if product == "-" else int(product), env, runs, line)
            for build in numbers[3:]]


def read_cases(path=PATH):
    cases = []
    with open(path, encoding="ascii") as f:
        for number, text in enumerate(f, 1):
            for case in parse_line(text, f"{os.path.relpath(path, ROOT)}:{number}"):
                case.number = number
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
    path = parser.parse_args().write_cc
    try:
        cases = read_cases()
    except CaseError as error:
        raise SystemExit(f"cases.py: {error}") from None
    write_cc(cases, path)


if __name__ == "__main__":
    main()
