#!/usr/bin/python3
"""One of the shipped exes on the emulated CPU it was built for, without Wine:
ZEPHO.EXE on x86, ZEPHO64.EXE on x86-64, ZEPHOA64.EXE on ARM64.

The PE is mapped as the loader would; its twelve import slots point at stubs
(tools/emulated_windows.py), which hand out what Wine cannot: a console, a
disk file or a pipe as standard output, handles that are invalid, null or
of unknown kind, writes that fail with a chosen code or fall short, version
records as Windows 95 to ME fill them, long environment values and odd
module paths, any processor and registry. On x86 every block the CPU runs
is checked against the 386's instruction set.

Each scenario also runs through the host-built logic under the unit tests'
fakes (the oracle), which takes the same knobs; the two must agree on status,
both output streams, the calls in order, the environment names read and the
hand-over sizes. The cases of tests/data/releases.txt and the Wine suite's
rows about the command line and standard output run here too and must give
the bytes and statuses they hold. Last, a sweep over build numbers compares the
exe with the oracle. Prints one line per failing row and a summary. Run
from the source tree's root: python3 -m tests.cpu.run_cpu_rows --exe ...
"""
import argparse
import itertools
import multiprocessing
import os
import struct
import subprocess
import sys
import time
from dataclasses import replace

import unicorn.x86_const as x86
from unicorn import UC_ARCH_X86, UC_HOOK_INTR, UC_MODE_16, Uc

from tests import rows as wine_rows
from tests.check_pe import newer_than_386
from tools.emulated_windows import INVALID, Machine, Outcome, Scenario
from tools.host_build import ROOT, build_host_target


def oracle(path, scenarios):
    done = subprocess.run([path], input="".join(s.oracle_line() + "\n" for s in scenarios),
                          capture_output=True, text=True, check=True)
    return [Outcome.parse(line) for line in done.stdout.splitlines()]


STDOUT = {"pipe": {}, "file": {"kind": "disk"}, "none": {"handle": 0}, "invalid": {"handle": INVALID},
          "broken": {"fail_from": 1, "fail_code": 232}}


def row_scenarios():
    """(scenario, row): each case of the hand-written expectations with its record exactly as written, and
    the Wine suite's rows about the command line and standard output in Windows XP's world."""
    pairs = []
    for case in wine_rows.CASES:
        record = case.record[:4] + (case.record[4].encode(),)
        env = {name: value.encode() for name, value in case.env.items()}
        for row in wine_rows.rows_of_case(case, "case", []) + wine_rows.set_rows_of_case(case, "case"):
            pairs.append((Scenario(row.name, row.command_line, record, env, product_type=case.product_type), row))
    xp = wine_rows.RECORDS["winxp"]
    for row in wine_rows.command_line_rows() + wine_rows.output_rows():
        scenario = Scenario(row.name, row.command_line, xp[:4] + (xp[4].encode(),),
                            module=b"Z:\\build\\win32\\zepho.exe", **STDOUT[row.stdout])
        pairs.append((scenario, row))
    return pairs


def knob_scenarios(wine_pairs):
    """What Wine cannot give: every record of the cases on a console in
    both modes, and the faults of standard output."""
    rows = []
    seen = set()
    for s, _ in wine_pairs:
        if s.record in seen or not s.name.startswith("case"):
            continue
        seen.add(s.record)
        for line in (b"zepho /VERBOSE", b"zepho"):
            rows.append(replace(s, name=f"console/{s.name}/{line.decode()}", command_line=line, kind="char"))
    nt = (2, 4, 0, 1381, b"Service Pack 6a".ljust(128, b"x"))  # no terminating zero
    w2k = (2, 5, 0, 2195, b"")
    se = (1, 4, 10, 0x040A08AE, b" A ")
    rows += [
        Scenario("help/console", b"zepho /HELP", kind="char"),
        Scenario("help/pipe", b"zepho /help /quiet"),
        Scenario("quiet/opens-nothing", b"zepho /QUIET /VERBOSE", se, handle=INVALID),
        Scenario("record/98se-high-word", b"zepho /VERBOSE", se, kind="char"),
        Scenario("record/nt-csd-without-zero", b"zepho /VERBOSE", nt, kind="char"),
        Scenario("record/untouched", b"zepho /VERBOSE", (0, 0, 0, 0, b"")),
        Scenario("env/winstation-250", b"zepho /VERBOSE /TERMINALS", nt, {"WINSTATIONNAME": b"w" * 250}),
        Scenario("env/session-249", b"zepho /VERBOSE /TERMINALS", w2k, {"SESSIONNAME": b"s" * 249}),
        Scenario("env/session-5000", b"zepho /VERBOSE /TERMINALS", w2k, {"SESSIONNAME": b"s" * 5000}),
        Scenario("cmdline/100k-quoted", b'zepho "' + b"x" * 100_000 + b' /HELP" /VERBOSE'),
        Scenario("stdout/invalid", handle=INVALID),
        Scenario("stdout/null", handle=0),
        Scenario("stdout/unknown-closed-once", b"zepho /HELP", kind="unknown"),
        Scenario("stdout/invalid-stderr-fails-too", handle=INVALID, err_fails=True),
        Scenario("stdout/short-write-then-room", b"zepho /HELP", kind="disk", short_from=1, short_to=1),
        Scenario("stdout/disk-full-to-the-end", b"zepho /HELP", kind="disk", short_from=1),
        Scenario("stdout/last-block-fails", b"zepho", kind="disk", fail_from=2, fail_code=112),
        Scenario("stdout/last-block-fails-stderr-too", b"zepho", kind="disk", fail_from=2, fail_code=112,
                 err_fails=True),
        Scenario("module/deep-path", handle=INVALID, module=b"C:\\" + b"DEEP\\" * 50 + b"ZEPHO.EXE"),
        Scenario("module/longer-than-buffer", handle=INVALID, module=b"C:\\" + b"d" * 300),
        Scenario("module/longer-than-buffer-vista", handle=INVALID, module=b"C:\\" + b"d" * 258, vista_cut=True),
        Scenario("module/none", handle=INVALID, module=b""),
    ]
    ten = (2, 10, 0, 26100, b"")
    values = {"EditionID": (1, b"Professional\0"), "InstallationType": (1, b"Client\0"), "UBR": (4, b"\x9a\x10\0\0"),
              "DisplayVersion": (1, b"24H2\0"), "ReleaseId": (1, b"2009\0")}
    hostile = {"EditionID": (1, b'"%PATH%" & ^ | < > ( ) = ; , ! \r\n\x01\xe9' + b"x" * 300), "UBR": (1, b"7\0"),
               "InstallationType": (4, b"\1\0\0\0"), "ReleaseId": (1, b"2009")}
    long = dict(values, EditionID=(1, b"x" * 600 + b"\0"), UBR=(4, b"\1\0\0\0\0\0\0\0"))
    for name, knobs in {"64-bit": dict(wow64=True, registry=values), "hostile": dict(registry=hostile),
                        "longer-than-buffer": dict(registry=long), "pe-arm64": dict(mini_nt=True, machine=0xAA64),
                        "native-info-x64": dict(missing=("KERNEL32.DLL!IsWow64Process2",), architecture=9),
                        "native-info-arm64": dict(missing=("KERNEL32.DLL!IsWow64Process2",), architecture=12),
                        "machine-x64": dict(machine=0x8664, wow64=True),
                        "wow64-fails": dict(wow64=None, registry=values),
                        "ubr-text-of-four": dict(registry=dict(values, UBR=(1, b"123\0"))),
                        "no-processor-calls": dict(missing=("KERNEL32.DLL!IsWow64Process2",
                                                            "KERNEL32.DLL!GetNativeSystemInfo")),
                        "machine-fails": dict(machine=None, registry=values),
                        "no-advapi32": dict(missing=("ADVAPI32.DLL",), registry=values),
                        "no-close": dict(missing=("ADVAPI32.DLL!RegCloseKey",), registry=values),
                        "no-wow64": dict(wow64=None, missing=("KERNEL32.DLL!IsWow64Process",), registry=values),
                        "open-fails": dict(open_fails=True, registry=values)}.items():
        rows.append(Scenario(f"set/{name}", b"zepho /SET /ALL", ten, product_type=2, service_pack=1, **knobs))
    rows.append(Scenario("set/nt4-sp6", b"zepho /SET /VERBOSE", nt, product_type=1, service_pack=6, registry=values))
    for code in (2, 3, 4, 5, 100, 101, 106, 112, 232, 0, 0xFFFFFFFF):
        rows.append(Scenario(f"stdout/console-fails-{code}-once", kind="char", fail_from=3, fail_to=3,
                             fail_code=code))
        rows.append(Scenario(f"stdout/pipe-fails-{code}", b"zepho /HELP", fail_from=2, fail_code=code))
    return rows


OTHER_BASE = {"x86": 0x00E50000, "x64": 0x7FF7_A5C3_0000, "ARM64": 0x7FF6_1234_0000}
SWEEP_LINES, ALL_LINES = (b"zepho /VERBOSE /TERMINALS", b"zepho"), (b"zepho /VERBOSE /TERMINALS /ALL", b"zepho /ALL")
# What each sweep holds fixed: the record, the product type of the longer one, and the command lines.
SWEEPS = {"1": ((1, 4, 10, 0x040A0000, b" A "), None, SWEEP_LINES),
          "2": ((2, 5, 0, 0, b"Service Pack 4"), None, SWEEP_LINES),
          "10.0-workstation": ((2, 10, 0, 0, b""), 1, ALL_LINES), "10.0-server": ((2, 10, 0, 0, b""), 3, ALL_LINES)}


def sweep_chunk(chunk):
    """Every 16-bit build of one record in one mode, the high word set on
    the 9x side as those releases set it: (runs, mismatches)."""
    exe, oracle_path, name, line = chunk
    markers = {"WINSTATIONNAME": b"RDP-Tcp#7", "SESSIONNAME": b"RDP-Tcp#7"}
    record, product, _ = SWEEPS[name]
    sweep = [Scenario(f"sweep/{name}/{build}/{line.decode()}", line, record[:3] + (record[3] | build, record[4]),
                      markers, product_type=product) for build in range(65536)]
    machine, mismatches = Machine(exe, timeout=0), []
    sweep = [replace(s, build=machine.build) for s in sweep]
    for s, expected in zip(sweep, oracle(oracle_path, sweep)):
        got = machine.run(s)
        if (got.status, got.out, got.err) != (expected.status, expected.out, expected.err):
            mismatches.append((s.name, (got.status, got.out, got.err), (expected.status, expected.out, expected.err)))
    return len(sweep), mismatches


def dos_register(name):
    return getattr(x86, f"UC_X86_REG_{name}")


# What each build's DOS program says it needs.
DOS_LINES = {"x86": b"ZEPHO needs Windows 95 or later.\r\n",
             "x64": b"ZEPHO64.EXE needs 64-bit Windows XP or later on x64.\r\n",
             "ARM64": b"ZEPHOA64.EXE needs Windows 10 or later on ARM64.\r\n"}


def dos_rows(exe, oracle_path, build):
    """The MS-DOS stub as DOS loads it, under many tails: status 0, its line unless zepho reads /QUIET there."""
    with open(exe, "rb") as f:
        data = f.read()
    cblp, pages, _, paragraphs, _, _, ss, sp, _, ip, cs = struct.unpack_from("<11H", data, 2)
    pieces = (b" ", b"\t", b'"', b"/QUIET", b"/quiet", b"/Quiet:yes", b"/QUIE", b"x", b"\xe9", b"/HELP", b"/QU\xe9ET")
    tails = [b"", b"x" * 126, b"\t" * 120 + b"/quiet", b"/QUIET" + b" " * 120, b"/VERBOSE/QUIET", b'"\x0fQUIET"']
    for n in (1, 2, 3, 4):
        tails += [b" " + b"".join(p) for p in itertools.product(pieces, repeat=n)]
    # The Windows logic tells which tails it reads as quiet; /HELP would end it before it looks.
    scenarios = [Scenario("", b"zepho " + t.replace(b"/HELP", b"-HELP"), handle=INVALID) for t in tails]
    quiet_tails = [outcome.status != 1 for outcome in oracle(oracle_path, scenarios)]
    psp, load, calls, failed = 0x1000, 0x1010, [], []
    uc = Uc(UC_ARCH_X86, UC_MODE_16)  # check_pe.py holds its code to the 8086's instructions
    uc.mem_map(0, 0x100000)

    def dos(uc, number, _):
        """INT 21h: AH 40h writes, AH 4Ch ends; anything else stops the run too."""
        ah, al, bx, cx, dx, ds = (uc.reg_read(dos_register(r)) for r in ("AH", "AL", "BX", "CX", "DX", "DS"))
        if ah == 0x40:
            calls.append((number, ah, bx, bytes(uc.mem_read(ds * 16 + dx, cx))))
        else:
            calls.append((number, ah, al))
        if (number, ah) != (0x21, 0x40):
            uc.emu_stop()
    uc.hook_add(UC_HOOK_INTR, dos)
    for tail, quiet in zip(tails, quiet_tails):
        uc.mem_write(psp * 16 + 0x80, (bytes([len(tail)]) + tail + b"\r" + b" /QUIET" * 19)[:128])  # and old bytes
        uc.mem_write(load * 16, data[paragraphs * 16:(pages - 1) * 512 + (cblp or 512)])
        for name, value in dict(DS=psp, ES=psp, SS=load + ss, SP=sp, CS=load + cs, BX=-1, CX=-1).items():
            uc.reg_write(dos_register(name), value & 0xFFFF)
        calls.clear()
        uc.emu_start((load + cs) * 16 + ip, 0, count=10_000)
        expected = [(0x21, 0x4C, 0)]
        if not quiet:
            expected.insert(0, (0x21, 0x40, 2, DOS_LINES[build]))
        if calls != expected:
            failed.append(f"FAIL dos/{tail!r}: DOS calls {calls}, {'quiet' if quiet else 'not quiet'}")
    print("\n".join(failed[:5] + [f"DOS stub: {len(tails)} command tails, {len(failed)} failed"]))
    return len(failed)


def compare(got, expected, wine_row=None):
    problems = []
    for what in ("status", "out", "err", "calls", "names", "sizes", "queries", "lookups"):
        if getattr(got, what) != getattr(expected, what):
            problems.append(f"{what} {getattr(got, what)!r}, the host logic gives {getattr(expected, what)!r}")
    if wine_row is not None:
        problems += wine_rows.check(wine_row, got.status, got.out, got.err)
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--oracle", default=os.path.join(ROOT, "build/host/tests/zepho_oracle"),
                        help="the host-built zepho_oracle; built with the host preset when it is the default")
    parser.add_argument("--sweep", default=",".join(SWEEPS), help=f"records to sweep ({', '.join(SWEEPS)}), or none")
    args = parser.parse_args()

    if args.oracle == parser.get_default("oracle"):
        build_host_target("zepho_oracle")
    started = time.monotonic()
    machine = Machine(args.exe)
    if machine.build == "x86":
        machine = Machine(args.exe, newer_than_386)
    pairs = row_scenarios()
    rows = [(replace(s, build=machine.build), row) for s, row in pairs + [(s, None) for s in knob_scenarios(pairs)]]
    scenarios = [s for s, _ in rows]
    failed = 0
    expected = oracle(args.oracle, scenarios)
    # Again where the loader put the image elsewhere, above 4 GB for the 64-bit builds.
    for at in (machine, Machine(args.exe, base=OTHER_BASE[machine.build])):
        for (s, wine_row), outcome in zip(rows, expected):
            problems = compare(at.run(s), outcome, wine_row)
            if problems:
                failed += 1
                print(f"FAIL {s.name} at {at.base:#x}: " + "; ".join(problems))
    if machine.newer:
        failed += 1
        print("FAIL instructions newer than the 386 ran: " + ", ".join(dict.fromkeys(machine.newer)))
    print(f"emulated rows: {len(scenarios)} at each of two bases in {time.monotonic() - started:.1f} s, "
          f"{len(machine.checked)} distinct blocks checked")
    failed += dos_rows(args.exe, args.oracle, machine.build)

    if args.sweep != "none":
        started = time.monotonic()
        chunks = [(args.exe, args.oracle, name, line) for name in args.sweep.split(",") for line in SWEEPS[name][2]]
        with multiprocessing.Pool(os.cpu_count()) as pool:
            results = pool.map(sweep_chunk, chunks)
        runs, mismatches = sum(r for r, _ in results), sum((m for _, m in results), [])
        for name, got, expected in mismatches[:5]:
            print(f"FAIL {name}: {got}, the host logic gives {expected}")
        failed += len(mismatches)
        print(f"sweep: {runs} runs in {time.monotonic() - started:.1f} s on {os.cpu_count()} cores, "
              f"{len(mismatches)} differ")
    print(f"{failed} failed" if failed else "no failures")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
