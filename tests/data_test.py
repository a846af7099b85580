"""The hand-written data and the machinery around it: the grammar of
tests/data/releases.txt, the record of statuses ever given, and the made
parts of tools/regenerate.py. Run from the source root with ZEPHO_TABLES
naming the host-built zepho_tables: /usr/bin/python3 -m unittest tests.data_test
"""
import os
import unittest

from tests.cases import CaseError, parse_line
from tools.regenerate import RETIRED, first_free, read_tables, record_problems, replace_part

GOOD = '2 10.0.22000,0x55F0 "SP1" 1 A=x,B= "/ALL" 30 "" 0 "Windows 11 SP1"'


class Grammar(unittest.TestCase):
    def test_every_line_off_the_grammar_is_refused_with_its_place(self):
        rows = [
            ("22000,,22001", GOOD.replace("22000,0x55F0", "22000,,22001")),
            ("a letter O for a zero", GOOD.replace("22000", "2200O")),
            ("a leading zero", GOOD.replace("22000", "010")),
            ("hex of nine digits", GOOD.replace("0x55F0", "0x123456789")),
            ("no build", GOOD.replace("10.0.22000,0x55F0", "10.0")),
            ("a backslash in quotes", GOOD.replace('"SP1"', r'"S\"P1"')),
            ("an unclosed quote", GOOD.replace('"SP1"', '"SP1')),
            ("an indented comment", "  # " + GOOD),
            ("five fields", '2 10.0.22000 "" 1 -'),
            ("a status without its switches", GOOD.replace('"" 0', "0")),
            ("a status above 255", GOOD.replace(" 30 ", " 300 ")),
            ("status 256", GOOD.replace(" 30 ", " 256 ")),
            ("a bare service pack", GOOD.replace('"SP1"', "SP1")),
            ("a quoted status", GOOD.replace(" 30 ", ' "30" ')),
            ("a pair without =", GOOD.replace("A=x", "A")),
        ]
        self.assertEqual(len(parse_line(GOOD, "releases.txt:7")), 2)
        for name, line in rows:
            with self.subTest(name), self.assertRaisesRegex(CaseError, "^releases.txt:7: expected "):
                parse_line(line, "releases.txt:7")


def pretend(rows):
    """The program's tables with the /ALL rows changed as `rows` says: {release: (verbose, major)}."""
    tables = read_tables(os.environ["ZEPHO_TABLES"])
    tables["all"] = [(*rows.get(name, (verbose, major)), *rest, name)
                     for verbose, major, *rest, name in tables["all"] if rows.get(name) != ()]
    return tables


class StatusRecord(unittest.TestCase):
    def test_a_status_changed_or_given_again_is_caught(self):
        tables = pretend({})
        verbose, major, *_, newest = max(tables["all"])
        unused = "+".join(row[-1] for row in tables["all"])  # longer than every name, so no row has it
        free = first_free(tables, "verbose"), first_free(tables, "major")
        gone = next((v, m) for v, m, release, _ in tables["record"] if release.startswith(RETIRED))
        rows = [
            ("renumbered", {newest: free},
             f"the table gives Windows {newest} statuses {free[0]} and {free[1]}; it was given {verbose}"),
            ("its status given to a new one", {newest: (), unused: (verbose, major)}, f"Windows {unused} has 0 lines"),
            ("a retired verbose status", {newest: (gone[0], major)}, f"which was given to {RETIRED}"),
            ("a retired major status", {newest: (verbose, gone[1])}, f"which was given to {RETIRED}"),
            ("listed twice", {}, f"Windows {newest} has 2 lines"),
        ]
        for name, changes, problem in rows:
            tables = pretend(changes)
            if unused in changes:
                tables["all"].append((verbose, major, "10.0", "workstation", 65000, 65001, unused))
            record = list(tables["record"])
            if "twice" in name:
                record.append((verbose, major, f"Windows {newest}", "2.2.0"))
            with self.subTest(name):
                self.assertIn(problem, "\n".join(record_problems(tables, record)))


class MadeParts(unittest.TestCase):
    def test_a_missing_or_doubled_marker_stops(self):
        start, end = "<!-- made by tools/regenerate.py: kinds -->\n", "\n<!-- end of kinds -->"
        self.assertEqual(replace_part(f"a\n{start}old{end}\nb", "R", "kinds", "new"), f"a\n{start}new{end}\nb")
        for text in (f"a\n{start}old\nb", f"{start}x{end}{start}y{end}", f"{end}\n{start}", "none"):
            with self.subTest(text), self.assertRaises(SystemExit):
                replace_part(text, "R", "kinds", "new")


if __name__ == "__main__":
    unittest.main()
