#!/usr/bin/python3
"""The shipped zepho.exe on an emulated x86 CPU, without Wine.

The PE is mapped as the loader would; its ten import slots point at stubs
written here, which hand out what Wine cannot: a console, a disk file or a
pipe as standard output, handles that are invalid, null or of unknown kind,
writes that fail with a chosen code or fall short, version records as
Windows 95 to ME fill them, long environment values and odd module paths.
Every block the CPU runs is checked against the 386's instruction set.

Each scenario also runs through the host-built logic under the unit tests'
fakes (the oracle), which takes the same knobs; the two must agree on status,
both output streams, the calls in order, the environment names read and the
hand-over sizes. The rows of the Wine suite run here too and must give the
bytes and statuses they hold. Last, a sweep over build numbers compares the
exe with the oracle. Prints one line per failing row and a summary.
"""
import argparse
import itertools
import multiprocessing
import os
import struct
import subprocess
import sys
import time
from dataclasses import dataclass, field, replace

import pefile
import unicorn.x86_const as x86
from unicorn import UC_ARCH_X86, UC_HOOK_BLOCK, UC_HOOK_INTR, UC_MODE_16, UC_MODE_32, Uc, UcError
from unicorn.x86_const import UC_X86_REG_EAX, UC_X86_REG_EIP, UC_X86_REG_ESP

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path[:0] = [os.path.dirname(HERE), os.path.join(os.path.dirname(HERE), "wine")]
import run_wine_tests as wine_rows  # noqa: E402
from check_pe import disassemble, newer_than_386  # noqa: E402

OUT, ERR, INVALID = 0x10, 0x20, 0xFFFFFFFF
KINDS = {"unknown": 0, "disk": 1, "char": 2, "pipe": 3}
STUBS, STACK, STACK_SIZE, HEAP = 0x70000000, 0x00100000, 0x00100000, 0x00300000
HEAP_SIZE = 0x40000


@dataclass
class Scenario:
    """One run's world; the knobs are those of the unit tests' fakes."""
    name: str
    command_line: bytes = b"zepho.exe"
    record: tuple = (2, 5, 1, 2600, b"Service Pack 3")  # platform, major, minor, build, CSD
    env: dict = field(default_factory=dict)  # WINSTATIONNAME / SESSIONNAME -> bytes
    kind: str = "pipe"
    handle: int = OUT
    fail_from: int = 0  # hand-overs to standard output from this one (1-based) ...
    fail_to: int = 0xFFFFFFFF  # ... to this one fail ...
    fail_code: int = 0  # ... with this code
    short_from: int = 0
    short_to: int = 0xFFFFFFFF
    err_fails: bool = False
    module: bytes = b"C:\\TOOLS\\ZEPHO.EXE"

    def oracle_line(self):
        p, major, minor, build, csd = self.record
        env = [self.env[n].hex() if n in self.env else "-" for n in ("WINSTATIONNAME", "SESSIONNAME")]
        handle = "-1" if self.handle == INVALID else str(self.handle)
        fields = [self.command_line.hex(), p, major, minor, build, csd.hex(), *env, KINDS[self.kind], handle,
                  self.fail_from, self.fail_to, self.fail_code, self.short_from, self.short_to, int(self.err_fails),
                  self.module.hex()]
        return "\t".join(map(str, fields))


@dataclass
class Outcome:
    status: int = None
    out: bytes = b""
    err: bytes = b""
    calls: list = field(default_factory=list)
    names: list = field(default_factory=list)
    sizes: list = field(default_factory=list)
    queries: list = field(default_factory=list)  # the size field at each version query

    @staticmethod
    def parse(line):
        status, out, err, calls, names, sizes, queries = line.rstrip("\n").split("\t")
        split = lambda text: text.split(",") if text else []
        return Outcome(int(status), bytes.fromhex(out), bytes.fromhex(err), split(calls), split(names),
                       [int(s) for s in split(sizes)], [int(q) for q in split(queries)])


def oracle(path, scenarios):
    done = subprocess.run([path], input="".join(s.oracle_line() + "\n" for s in scenarios),
                          capture_output=True, text=True, check=True)
    return [Outcome.parse(line) for line in done.stdout.splitlines()]


class Machine:
    """zepho.exe in the memory of an emulated 32-bit x86, stopped at ExitProcess."""

    def __init__(self, exe, check_blocks=True, timeout=10_000_000):
        self.timeout = timeout  # microseconds; 0 for none
        pe = pefile.PE(exe)
        self.base = pe.OPTIONAL_HEADER.ImageBase
        self.entry = self.base + pe.OPTIONAL_HEADER.AddressOfEntryPoint
        image = pe.get_memory_mapped_image()
        self.size = len(image)
        self.uc = Uc(UC_ARCH_X86, UC_MODE_32)
        self.uc.mem_map(self.base, (len(image) + 0xFFF) & ~0xFFF)
        self.uc.mem_write(self.base, image)
        for address, size in ((STUBS, 0x1000), (STACK, STACK_SIZE), (HEAP, HEAP_SIZE)):
            self.uc.mem_map(address, size)
        # Each import slot points at an INT 80h of its own; the interrupt
        # hook runs the Python function and returns to the caller.
        self.stubs = {}
        for entry in pe.DIRECTORY_ENTRY_IMPORT:
            for imported in entry.imports:
                stub = STUBS + 16 * len(self.stubs)
                self.stubs[stub + 2] = getattr(self, imported.name.decode())
                self.uc.mem_write(stub, b"\xcd\x80")
                self.uc.mem_write(imported.address, struct.pack("<I", stub))
        # What a run may change: the writable sections, restored before each.
        self.writable = [(self.base + section.VirtualAddress,
                          bytes(self.uc.mem_read(self.base + section.VirtualAddress, section.Misc_VirtualSize)))
                         for section in pe.sections if section.Characteristics & 0x80000000]
        self.uc.hook_add(UC_HOOK_INTR, self._call)
        self.checked, self.newer = set(), []
        if check_blocks:
            self.uc.hook_add(UC_HOOK_BLOCK, self._check_block, begin=self.base, end=self.base + len(image) - 1)

    def run(self, s):
        self.s, self.o, self.last_error = s, Outcome(), 0
        for address, data in self.writable:
            self.uc.mem_write(address, data)
        self.uc.mem_write(STACK + STACK_SIZE - 0x4000, bytes(0x4000))
        self.uc.mem_write(HEAP, s.command_line + b"\0")
        self.uc.reg_write(UC_X86_REG_ESP, STACK + STACK_SIZE - 16)
        try:
            self.uc.emu_start(self.entry, STUBS + 0xFFF, timeout=self.timeout)
        except UcError as error:
            eip = self.uc.reg_read(UC_X86_REG_EIP)
            self.o.status = f"CPU fault at {eip:#x}: {error}"
        return self.o

    def _check_block(self, uc, address, size, _):
        if address in self.checked:
            return
        self.checked.add(address)
        insns, end = disassemble(bytes(uc.mem_read(address, size)), address)
        self.newer += [f"{i.address:#x} {i.mnemonic} {i.op_str}" for i in insns if newer_than_386(i)]
        if end != address + size:
            self.newer.append(f"{end:#x} does not decode")

    def _call(self, uc, number, _):
        eip = uc.reg_read(UC_X86_REG_EIP)
        handler = self.stubs.get(eip)
        if number != 0x80 or handler is None:
            self.o.status = f"interrupt {number:#x} at {eip:#x}"
            uc.emu_stop()
            return
        count = handler.__code__.co_argcount - 1
        esp = uc.reg_read(UC_X86_REG_ESP)
        ret, *args = struct.unpack(f"<{count + 1}I", uc.mem_read(esp, 4 * (count + 1)))
        result = handler(*args)
        if handler == self.ExitProcess:
            uc.emu_stop()
            return
        uc.reg_write(UC_X86_REG_EAX, result & 0xFFFFFFFF)
        uc.reg_write(UC_X86_REG_ESP, esp + 4 * (count + 1))  # stdcall: the callee pops
        uc.reg_write(UC_X86_REG_EIP, ret)

    def _put(self, address, value):
        if address:
            self.uc.mem_write(address, struct.pack("<I", value))

    # The ten imports, behaving as the unit tests' fakes do.
    def GetCommandLineA(self):
        return HEAP

    def GetVersionExA(self, record):
        self.o.queries.append(struct.unpack("<I", self.uc.mem_read(record, 4))[0])
        p, major, minor, build, csd = self.s.record
        self.uc.mem_write(record + 4, struct.pack("<4I", major, minor, build, p) + csd.ljust(128, b"\0"))
        return 1

    def GetEnvironmentVariableA(self, name, buffer, size):
        name = bytes(self.uc.mem_read(name, 32)).split(b"\0")[0].decode("latin-1")
        self.o.names.append(name)
        value = self.s.env.get(name, b"")
        if not value:
            return 0
        if len(value) + 1 > size:
            self.uc.mem_write(buffer, b"?" * size)  # what is left there is not defined
            return len(value) + 1
        self.uc.mem_write(buffer, value + b"\0")
        return len(value)

    def GetModuleFileNameA(self, module, buffer, size):
        count = min(len(self.s.module), size)
        self.uc.mem_write(buffer, self.s.module[:count] + (b"\0" if count < size else b""))
        return count

    def GetStdHandle(self, which):
        out = which == 0xFFFFFFF5
        self.o.calls.append("GetStdHandle(out)" if out else "GetStdHandle(err)")
        return self.s.handle if out else ERR

    def GetFileType(self, handle):
        self.o.calls.append("GetFileType")
        return KINDS[self.s.kind] if handle == self.s.handle else 0

    def CloseHandle(self, handle):
        self.o.calls.append("CloseHandle")
        return 1

    def GetLastError(self):
        return self.last_error

    def WriteFile(self, handle, data, size, written, overlapped):
        s, o = self.s, self.o
        data = bytes(self.uc.mem_read(data, size)) if size else b""
        self._put(written, 0)
        if handle == ERR:
            o.calls.append("WriteFile(err)")
            if s.err_fails:
                self.last_error = 6
                return 0
            o.err += data
            self._put(written, size)
            return 1
        o.calls.append("WriteFile(out)")
        o.sizes.append(size)
        number = len(o.sizes)
        if handle != s.handle:
            self.last_error = 6
            return 0
        if s.fail_from and s.fail_from <= number <= s.fail_to:
            self.last_error = s.fail_code
            return 0
        taken = size - 1 if s.short_from and s.short_from <= number <= s.short_to else size
        o.out += data[:taken]
        self._put(written, taken)
        return 1

    def ExitProcess(self, status):
        self.o.status = status


def wine_world(row, registry):
    """The Scenario a row of the Wine suite sets up, with records as the
    releases fill them: 9x builds carry major and minor in the high word."""
    env, stdout = {}, {"pipe": {}, "file": {"kind": "disk"}, "none": {"handle": 0},
                       "invalid": {"handle": INVALID}, "broken": {"fail_from": 1, "fail_code": 232}}[row.stdout]
    for directive in row.setup:
        verb, what, *rest = directive.split()
        if verb == "env":
            env[rest[0]] = bytes.fromhex(rest[1] if len(rest) > 1 else "") if what == "set" else None
        else:
            key = (bytes.fromhex(rest[0]).decode(), rest[1])
            registry[key] = bytes.fromhex(rest[2] if len(rest) > 2 else "").decode("latin-1") if what == "set" else None
    version = registry.get((wine_rows.WINE_KEY, "Version"))
    nt = {name: registry.get((wine_rows.NT_KEY, name)) for name in ("CurrentVersion", "CurrentBuildNumber", "CSDVersion")}
    if version in wine_rows.RECORDS:
        p, major, minor, build, csd = wine_rows.RECORDS[version]
        csd = f" {csd} " if p == 1 else csd
    elif version is not None:
        p, major, minor, build, csd = 0, 3, 10, 0, ""
    elif nt["CurrentVersion"]:
        major, minor = map(int, nt["CurrentVersion"].split("."))
        p, build, csd = 2, int(nt["CurrentBuildNumber"]), nt["CSDVersion"] or ""
    else:
        major, minor, build = map(int, registry[(wine_rows.WIN_KEY, "VersionNumber")].split("."))
        p, csd = 1, registry.get((wine_rows.WIN_KEY, "SubVersionNumber")) or ""
    if p == 1:
        build |= major << 24 | minor << 16
    return Scenario(row.name, row.command_line, (p, major, minor, build, csd.encode("latin-1")),
                    {k: v for k, v in env.items() if v is not None}, module=b"Z:\\build\\win32\\zepho.exe",
                    **stdout)


def wine_scenarios():
    """(scenario, the Wine row) for every Wine row that sets its world up."""
    registry = {}
    return [(wine_world(row, registry), row) for row in wine_rows.zepho_rows()]


def knob_scenarios(wine_pairs):
    """What Wine cannot give: every release of the Wine rows on a console
    in both modes, and the faults of standard output."""
    rows = []
    seen = set()
    for s, _ in wine_pairs:
        if s.record in seen or not s.name.startswith(("win", "nt", "record")):
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
        Scenario("module/none", handle=INVALID, module=b""),
    ]
    for code in (2, 3, 4, 5, 100, 101, 106, 112, 232, 0, 0xFFFFFFFF):
        rows.append(Scenario(f"stdout/console-fails-{code}-once", kind="char", fail_from=3, fail_to=3,
                             fail_code=code))
        rows.append(Scenario(f"stdout/pipe-fails-{code}", b"zepho /HELP", fail_from=2, fail_code=code))
    return rows


SWEEP_LINES = (b"zepho /VERBOSE /TERMINALS", b"zepho")


def sweep_chunk(chunk):
    """Every 16-bit build on one platform in one mode, the high word set on
    the 9x side as those releases set it: (runs, mismatches)."""
    exe, oracle_path, p, line = chunk
    markers = {"WINSTATIONNAME": b"RDP-Tcp#7", "SESSIONNAME": b"RDP-Tcp#7"}
    record = (1, 4, 10, 0x040A0000, b" A ") if p == 1 else (2, 5, 0, 0, b"Service Pack 4")
    sweep = [Scenario(f"sweep/{p}/{build}/{line.decode()}", line, record[:3] + (record[3] | build, record[4]),
                      markers) for build in range(65536)]
    machine, mismatches = Machine(exe, check_blocks=False, timeout=0), []
    for s, expected in zip(sweep, oracle(oracle_path, sweep)):
        got = machine.run(s)
        if (got.status, got.out, got.err) != (expected.status, expected.out, expected.err):
            mismatches.append((s.name, (got.status, got.out, got.err), (expected.status, expected.out, expected.err)))
    return len(sweep), mismatches


def dos_rows(exe, oracle_path):
    """The MS-DOS stub as DOS loads it, under many tails: status 0, its line unless zepho reads /QUIET there."""
    cblp, pages, _, paragraphs, _, _, ss, sp, _, ip, cs = struct.unpack_from("<11H", data := open(exe, "rb").read(), 2)
    pieces = (b" ", b"\t", b'"', b"/QUIET", b"/quiet", b"/Quiet:yes", b"/QUIE", b"x", b"\xe9", b"/HELP")
    tails = [b"", b"x" * 126, b"\t" * 120 + b"/quiet", b"/QUIET" + b" " * 120, b"/VERBOSE/QUIET", b'"\x0fQUIET"'] + [
        b" " + b"".join(p) for n in (1, 2, 3, 4) for p in itertools.product(pieces, repeat=n)]
    quiet = [o.status != 1 for o in oracle(oracle_path, [Scenario("", b"zepho " + t.replace(b"/HELP", b"-HELP"),
                                                                  handle=INVALID) for t in tails])]
    reg, psp, load, calls, failed = lambda name: getattr(x86, f"UC_X86_REG_{name}"), 0x1000, 0x1010, [], []
    uc = Uc(UC_ARCH_X86, UC_MODE_16)  # check_pe.py holds its code to the 8086's instructions
    uc.mem_map(0, 0x100000)

    def dos(uc, number, _):  # INT 21h: AH 40h writes, AH 4Ch ends; anything else stops the run too
        ah, al, bx, cx, dx, ds = (uc.reg_read(reg(r)) for r in ("AH", "AL", "BX", "CX", "DX", "DS"))
        calls.append((number, ah) + ((bx, bytes(uc.mem_read(ds * 16 + dx, cx))) if ah == 0x40 else (al,)))
        (number, ah) == (0x21, 0x40) or uc.emu_stop()
    uc.hook_add(UC_HOOK_INTR, dos)
    for tail, quiet in zip(tails, quiet):
        uc.mem_write(psp * 16 + 0x80, (bytes([len(tail)]) + tail + b"\r" + b" /QUIET" * 19)[:128])  # and old bytes
        uc.mem_write(load * 16, data[paragraphs * 16:(pages - 1) * 512 + (cblp or 512)])
        for name, value in dict(DS=psp, ES=psp, SS=load + ss, SP=sp, CS=load + cs, BX=-1, CX=-1).items():
            uc.reg_write(reg(name), value & 0xFFFF)
        calls.clear()
        uc.emu_start((load + cs) * 16 + ip, 0, count=10_000)
        if calls != [(0x21, 0x40, 2, b"ZEPHO needs Windows 95 or later.\r\n")] * (not quiet) + [(0x21, 0x4C, 0)]:
            failed.append(f"FAIL dos/{tail!r}: DOS calls {calls}, {'quiet' if quiet else 'not quiet'}")
    print("\n".join(failed[:5] + [f"DOS stub: {len(tails)} command tails, {len(failed)} failed"]))
    return len(failed)


def compare(got, expected, wine_row=None):
    problems = []
    for what in ("status", "out", "err", "calls", "names", "sizes", "queries"):
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
    parser.add_argument("--sweep", default="1,2", help="platforms to sweep, or none")
    args = parser.parse_args()

    if args.oracle == parser.get_default("oracle"):
        quiet = dict(cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
        if not os.path.exists(os.path.join(ROOT, "build/host/CMakeCache.txt")):
            subprocess.run(["cmake", "--preset", "host"], **quiet)
        subprocess.run(["cmake", "--build", "--preset", "host", "--target", "zepho_oracle"], **quiet)
    started = time.monotonic()
    machine = Machine(args.exe)
    pairs = wine_scenarios()
    rows = pairs + [(s, None) for s in knob_scenarios(pairs)]
    scenarios = [s for s, _ in rows]
    failed = 0
    for (s, wine_row), expected in zip(rows, oracle(args.oracle, scenarios)):
        problems = compare(machine.run(s), expected, wine_row)
        if problems:
            failed += 1
            print(f"FAIL {s.name}: " + "; ".join(problems))
    if machine.newer:
        failed += 1
        print("FAIL instructions newer than the 386 ran: " + ", ".join(dict.fromkeys(machine.newer)))
    print(f"emulated rows: {len(scenarios)} in {time.monotonic() - started:.1f} s, "
          f"{len(machine.checked)} distinct blocks checked")
    failed += dos_rows(args.exe, args.oracle)

    if args.sweep != "none":
        started = time.monotonic()
        chunks = [(args.exe, args.oracle, int(p), line) for p in args.sweep.split(",") for line in SWEEP_LINES]
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
