#!/usr/bin/python3
"""zepho's Windows programs on an emulated CPU (unicorn), without Wine:
ZEPHO.EXE on a 32-bit x86, ZEPHO64.EXE on an x86-64, ZEPHOA64.EXE on an
ARM64. The packaging runs the exe being packed here for the manual's sample
run, and the tests run their rows.

The PE is mapped as the loader would; its twelve import slots, and what
GetProcAddress finds, point at stubs written here, which hand out what a
Scenario asks for: a console, a disk file or a pipe as standard output,
handles that are invalid, null or of unknown kind, writes that fail with a
chosen code or fall short, version records as Windows 95 to 11 fill them,
environment values, module paths, the processor and the registry. Each stub
takes its arguments as the build's calling convention passes them: stdcall
on the stack on x86, RCX, RDX, R8, R9 and then the stack on x64, X0 to X7
with the return through X30 on ARM64. A Scenario also gives itself as a line
for the tests' host-built oracle, and an Outcome reads the oracle's answer.
"""
import struct
from dataclasses import dataclass, field, replace

import capstone
import pefile
import unicorn.arm64_const as arm64
import unicorn.x86_const as x86
from unicorn import (UC_ARCH_ARM64, UC_ARCH_X86, UC_HOOK_BLOCK, UC_HOOK_INTR, UC_MODE_32, UC_MODE_64, UC_MODE_ARM,
                     Uc, UcError)

OUT, ERR, INVALID = 0x10, 0x20, 0xFFFFFFFF  # INVALID stands for the all-ones handle of any build
# What LoadLibraryA hands out, and the functions GetProcAddress finds there.
MODULES = {"KERNEL32.DLL": 0x7100, "ADVAPI32.DLL": 0x7200}
FOUND = ("IsWow64Process", "RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey", "IsWow64Process2",
         "GetNativeSystemInfo")
HKLM, KEY = 0x80000002, 0x77
MINI_NT = "SYSTEM\\CurrentControlSet\\Control\\MiniNT"
KINDS = {"unknown": 0, "disk": 1, "char": 2, "pipe": 3}
STUBS, STACK, STACK_SIZE, HEAP = 0x70000000, 0x00100000, 0x00100000, 0x00300000
HEAP_SIZE = 0x40000
DISASSEMBLER = capstone.Cs(capstone.CS_ARCH_X86, capstone.CS_MODE_32)
# What the registers a call may change, the stack and the home space hold where nothing was written.
GARBAGE = 0xA5C3_96E1_5A3C_691E
JUNK = bytes((i * 73 + 0x5B) & 0xFF for i in range(0x4000))


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
    product_type: int = None  # of the 156-byte record; None: that size is refused
    vista_cut: bool = False  # a module name that does not fit is cut as Vista does, else as XP does
    service_pack: int = 0  # major, of the 156-byte record
    missing: tuple = ()  # libraries and LIBRARY!Function that run-time lookups do not find
    wow64: bool = False  # what IsWow64Process says; None: it fails
    open_fails: bool = False  # RegOpenKeyExA
    registry: dict = field(default_factory=dict)  # value name -> (type, bytes) of the CurrentVersion key
    machine: int = 0x14C  # IsWow64Process2's native machine; None: it fails
    architecture: int = 0  # GetNativeSystemInfo's processor architecture
    mini_nt: bool = False  # Windows PE's key is there
    build: str = "x86"  # the exe's processor as /VERSION names it; Machine.run sets it

    def oracle_line(self):
        p, major, minor, build, csd = self.record
        env = [self.env[n].hex() if n in self.env else "-" for n in ("WINSTATIONNAME", "SESSIONNAME")]
        handle = "-1" if self.handle == INVALID else str(self.handle)
        fields = [self.command_line.hex(), p, major, minor, build, csd.hex(), *env, KINDS[self.kind], handle,
                  self.fail_from, self.fail_to, self.fail_code, self.short_from, self.short_to, int(self.err_fails),
                  self.module.hex(), "-" if self.product_type is None else self.product_type, int(self.vista_cut),
                  self.service_pack, ",".join(self.missing) or "-", "-" if self.wow64 is None else int(self.wow64),
                  int(self.open_fails),
                  ",".join(f"{name}:{kind}:{data.hex()}" for name, (kind, data) in self.registry.items()) or "-",
                  "-" if self.machine is None else self.machine, self.architecture, int(self.mini_nt),
                  self.build]
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
    lookups: list = field(default_factory=list)  # run-time lookups and the calls through what they found

    @staticmethod
    def parse(line):
        status, out, err, calls, names, sizes, queries, lookups = line.rstrip("\n").split("\t")
        return Outcome(int(status), bytes.fromhex(out), bytes.fromhex(err), split(calls), split(names),
                       [int(s) for s in split(sizes)], [int(q) for q in split(queries)], split(lookups))


def split(text):
    """The items of a comma-separated list, none for an empty one."""
    return text.split(",") if text else []


class Cpu32:
    """x86, 32-bit: stdcall, the arguments above the return address, the callee pops them."""
    word, mode, build = 4, (UC_ARCH_X86, UC_MODE_32), "x86"
    stub, interrupt = b"\xcd\x80", 0x80  # INT 80h
    pc, sp, result = x86.UC_X86_REG_EIP, x86.UC_X86_REG_ESP, x86.UC_X86_REG_EAX
    volatile = (x86.UC_X86_REG_ECX, x86.UC_X86_REG_EDX)
    others = tuple(getattr(x86, f"UC_X86_REG_E{r}") for r in ("AX", "BX", "SI", "DI", "BP"))
    alignment = 4  # of the stack pointer at a call's first instruction, plus one word

    def start(self, uc, top):
        uc.reg_write(self.sp, top - 16)

    def called(self, uc):
        return uc.reg_read(self.pc) - 2  # the stub's own address

    def aligned(self, uc):  # after the call pushed its return address
        return (uc.reg_read(self.sp) + self.word) % self.alignment == 0

    def args(self, uc, count):
        return list(struct.unpack(f"<{count}I", uc.mem_read(uc.reg_read(self.sp) + 4, 4 * count)))

    def ret(self, uc, value, count):
        esp = uc.reg_read(self.sp)
        uc.reg_write(self.result, value & 0xFFFFFFFF)
        uc.reg_write(self.pc, struct.unpack("<I", uc.mem_read(esp, 4))[0])
        uc.reg_write(self.sp, esp + 4 * (count + 1))


class Cpu64(Cpu32):
    """x86-64, Win64: RCX, RDX, R8, R9, then the stack above 32 bytes of home space; the caller pops."""
    word, mode, build = 8, (UC_ARCH_X86, UC_MODE_64), "x64"
    pc, sp, result = x86.UC_X86_REG_RIP, x86.UC_X86_REG_RSP, x86.UC_X86_REG_RAX
    registers = (x86.UC_X86_REG_RCX, x86.UC_X86_REG_RDX, x86.UC_X86_REG_R8, x86.UC_X86_REG_R9)
    volatile = registers + (x86.UC_X86_REG_R10, x86.UC_X86_REG_R11)
    others = tuple(getattr(x86, f"UC_X86_REG_R{r}") for r in ("AX", "BX", "SI", "DI", "BP", 12, 13, 14, 15))
    alignment = 16

    def start(self, uc, top):
        uc.reg_write(self.sp, top - 0x48)  # as after a call: 8 bytes off a 16-byte boundary

    def args(self, uc, count):
        rsp = uc.reg_read(self.sp)
        values = [uc.reg_read(r) for r in self.registers[:count]]
        return values + list(struct.unpack(f"<{max(count - 4, 0)}Q", uc.mem_read(rsp + 40, 8 * max(count - 4, 0))))

    def ret(self, uc, value, count):
        rsp = uc.reg_read(self.sp)
        uc.mem_write(rsp + 8, JUNK[:32])  # the callee owns the caller's home space
        uc.reg_write(self.result, value & 0xFFFFFFFFFFFFFFFF)
        uc.reg_write(self.pc, struct.unpack("<Q", uc.mem_read(rsp, 8))[0])
        uc.reg_write(self.sp, rsp + 8)


class CpuArm64:
    """ARM64: X0 to X7, the result in X0, the return through X30."""
    word, mode, build = 8, (UC_ARCH_ARM64, UC_MODE_ARM), "ARM64"
    stub, interrupt = struct.pack("<I", 0xD4000001), 2  # SVC #0
    pc, sp, result = arm64.UC_ARM64_REG_PC, arm64.UC_ARM64_REG_SP, arm64.UC_ARM64_REG_X0
    volatile = tuple(getattr(arm64, f"UC_ARM64_REG_X{i}") for i in range(1, 18))
    others = (arm64.UC_ARM64_REG_X0, *(getattr(arm64, f"UC_ARM64_REG_X{i}") for i in range(18, 30)))
    alignment = 16

    def start(self, uc, top):
        uc.reg_write(arm64.UC_ARM64_REG_CPACR_EL1, 0x300000)  # floating point and SIMD on
        uc.reg_write(self.sp, top - 64)
        uc.reg_write(arm64.UC_ARM64_REG_X30, STUBS + 0xFF0)

    def called(self, uc):
        return uc.reg_read(self.pc) - 4

    def aligned(self, uc):
        return uc.reg_read(self.sp) % self.alignment == 0

    def args(self, uc, count):
        return [uc.reg_read(getattr(arm64, f"UC_ARM64_REG_X{i}")) for i in range(count)]

    def ret(self, uc, value, count):
        uc.reg_write(self.result, value & 0xFFFFFFFFFFFFFFFF)
        uc.reg_write(self.pc, uc.reg_read(arm64.UC_ARM64_REG_X30))


CPUS = {0x14C: Cpu32, 0x8664: Cpu64, 0xAA64: CpuArm64}


class Machine:
    """One of zepho's exes in the memory of the emulated CPU it was built for, stopped at ExitProcess."""

    def __init__(self, exe, newer_than=None, timeout=10_000_000, base=None):
        """At `base`, where given, with the image's relocations applied as a loader does there."""
        self.timeout = timeout  # microseconds; 0 for none
        pe = pefile.PE(exe)
        self.cpu = CPUS[pe.FILE_HEADER.Machine]()
        self.build = self.cpu.build
        self.ones = (1 << 8 * self.cpu.word) - 1  # INVALID_HANDLE_VALUE, and this process's pseudo-handle
        if base is not None:
            pe.relocate_image(base)
        self.base = pe.OPTIONAL_HEADER.ImageBase
        self.entry = self.base + pe.OPTIONAL_HEADER.AddressOfEntryPoint
        image = bytes(pe.get_memory_mapped_image())
        self.size = len(image)
        self.uc = Uc(*self.cpu.mode)
        self.uc.mem_map(self.base, (len(image) + 0xFFF) & ~0xFFF)
        self.uc.mem_write(self.base, image)
        for address, size in ((STUBS, 0x1000), (STACK, STACK_SIZE), (HEAP, HEAP_SIZE)):
            self.uc.mem_map(address, size)
        # Each import slot points at a stub of its own, an interrupt that the
        # hook answers by running the Python function and returning.
        self.stubs = {}
        for entry in pe.DIRECTORY_ENTRY_IMPORT:
            for imported in entry.imports:
                stub = self._stub(getattr(self, imported.name.decode()))
                self.uc.mem_write(imported.address, stub.to_bytes(self.cpu.word, "little"))  # pefile relocated it
        self.found = {name: self._stub(getattr(self, name)) for name in FOUND}  # what GetProcAddress finds
        # What a run may change: the writable sections, restored before each.
        self.writable = [(self.base + section.VirtualAddress,
                          bytes(self.uc.mem_read(self.base + section.VirtualAddress, section.Misc_VirtualSize)))
                         for section in pe.sections if section.Characteristics & 0x80000000]
        self.uc.hook_add(UC_HOOK_INTR, self._call)
        # With a predicate for instructions a processor lacks, every block run is
        # checked once; `newer` lists what it flagged and what did not decode.
        self.newer_than, self.checked, self.newer = newer_than, set(), []
        if newer_than:
            self.uc.hook_add(UC_HOOK_BLOCK, self._check_block, begin=self.base, end=self.base + len(image) - 1)

    def _stub(self, handler):
        """A stub of its own that runs `handler`; its address."""
        stub = STUBS + 16 * len(self.stubs)
        self.stubs[stub] = handler
        self.uc.mem_write(stub, self.cpu.stub)
        return stub

    def _string(self, address):
        return bytes(self.uc.mem_read(address, 64)).split(b"\0")[0].decode("latin-1")

    def _handle(self, handle):
        return self.ones if handle == INVALID else handle

    def run(self, s):
        self.s, self.o, self.last_error = replace(s, build=self.build), Outcome(), 0
        for address, data in self.writable:
            self.uc.mem_write(address, data)
        self.uc.mem_write(STACK + STACK_SIZE - len(JUNK), JUNK)
        self.uc.mem_write(HEAP, s.command_line + b"\0")
        for register in self.cpu.volatile + self.cpu.others:
            self.uc.reg_write(register, GARBAGE & self.ones)
        self.cpu.start(self.uc, STACK + STACK_SIZE)
        try:
            self.uc.emu_start(self.entry, STUBS + 0xFFF, timeout=self.timeout)
        except UcError as error:
            self.o.status = f"CPU fault at {self.uc.reg_read(self.cpu.pc):#x}: {error}"
        return self.o

    def _check_block(self, uc, address, size, _):
        if address in self.checked:
            return
        self.checked.add(address)
        insns = list(DISASSEMBLER.disasm(bytes(uc.mem_read(address, size)), address))
        self.newer += [f"{i.address:#x} {i.mnemonic} {i.op_str}" for i in insns if self.newer_than(i)]
        if sum(i.size for i in insns) != size:
            self.newer.append(f"{address:#x}: the block does not decode")

    def _call(self, uc, number, _):
        handler = self.stubs.get(self.cpu.called(uc))
        if number != self.cpu.interrupt or handler is None:
            self.o.status = f"interrupt {number:#x} at {uc.reg_read(self.cpu.pc):#x}"
            uc.emu_stop()
            return
        if not self.cpu.aligned(uc):
            self.o.status = f"{handler.__name__} called with the stack pointer at {uc.reg_read(self.cpu.sp):#x}"
            uc.emu_stop()
            return
        count = handler.__code__.co_argcount - 1
        result = handler(*self.cpu.args(uc, count))
        if handler == self.ExitProcess:
            uc.emu_stop()
            return
        self.cpu.ret(uc, result or 0, count)
        for register in self.cpu.volatile:  # what the call may leave in them
            uc.reg_write(register, GARBAGE & self.ones)

    def _put(self, address, value):
        if address:
            self.uc.mem_write(address, struct.pack("<I", value))

    def _put_pointer(self, address, value):
        if address:
            self.uc.mem_write(address, value.to_bytes(self.cpu.word, "little"))

    # The twelve imports, behaving as the unit tests' fakes do. A DWORD
    # argument is its register's low 32 bits.
    def GetCommandLineA(self):
        return HEAP

    def GetVersionExA(self, record):
        size = struct.unpack("<I", self.uc.mem_read(record, 4))[0]
        self.o.queries.append(size)
        if size == 156 and self.s.product_type is None or size not in (148, 156):
            return 0
        p, major, minor, build, csd = self.s.record
        self.uc.mem_write(record + 4, struct.pack("<4I", major, minor, build, p) + csd.ljust(128, b"\0"))
        if size == 156:  # service pack major and minor, suite mask, product type, reserved
            self.uc.mem_write(record + 148, struct.pack("<3H2B", self.s.service_pack, 0, 0, self.s.product_type, 0))
        return 1

    def GetEnvironmentVariableA(self, name, buffer, size):
        size &= 0xFFFFFFFF
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
        size &= 0xFFFFFFFF
        count = min(len(self.s.module), size)
        self.uc.mem_write(buffer, self.s.module[:count] + (b"\0" if count < size else b""))
        if count == size and self.s.vista_cut:  # Vista and later: one byte shorter, with a zero
            self.uc.mem_write(buffer + size - 1, b"\0")
        return count

    def GetStdHandle(self, which):
        out = which & 0xFFFFFFFF == 0xFFFFFFF5
        self.o.calls.append("GetStdHandle(out)" if out else "GetStdHandle(err)")
        return self._handle(self.s.handle) if out else ERR

    def GetFileType(self, handle):
        self.o.calls.append("GetFileType")
        return KINDS[self.s.kind] if handle == self._handle(self.s.handle) else 0

    def CloseHandle(self, handle):
        self.o.calls.append("CloseHandle")
        return 1

    def GetLastError(self):
        return self.last_error

    def WriteFile(self, handle, data, size, written, overlapped):
        s, o = self.s, self.o
        size &= 0xFFFFFFFF
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
        if handle != self._handle(s.handle):
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
        self.o.status = status & 0xFFFFFFFF

    def LoadLibraryA(self, name):
        name = self._string(name)
        self.o.lookups.append(f"LoadLibraryA {name}")
        return 0 if name in self.s.missing else MODULES.get(name, 0)

    def GetProcAddress(self, module, name):
        name = self._string(name)
        self.o.lookups.append(f"GetProcAddress {name}")
        library = next((known for known, handle in MODULES.items() if handle == module), "?")
        return 0 if f"{library}!{name}" in self.s.missing else self.found.get(name, 0)

    # The functions found at run time, as the fakes answer them.
    def IsWow64Process(self, process, result):
        self.o.lookups.append("IsWow64Process")
        if process != self.ones or self.s.wow64 is None:
            return 0
        self._put(result, int(self.s.wow64))
        return 1

    def IsWow64Process2(self, process, process_machine, native_machine):
        self.o.lookups.append("IsWow64Process2")
        if process != self.ones or self.s.machine is None:
            return 0
        self.uc.mem_write(process_machine, struct.pack("<H", 0))
        self.uc.mem_write(native_machine, struct.pack("<H", self.s.machine))
        return 1

    def GetNativeSystemInfo(self, info):
        self.o.lookups.append("GetNativeSystemInfo")
        self.uc.mem_write(info, struct.pack("<H", self.s.architecture))

    def RegOpenKeyExA(self, key, path, options, access, result):
        path = self._string(path)
        access &= 0xFFFFFFFF
        self.o.lookups.append(f"RegOpenKeyExA {path} {64 if access & 0x100 else 32}")
        if key & 0xFFFFFFFF != HKLM or options & 0xFFFFFFFF != 0 or access & ~0x100 != 1 or self.s.open_fails:
            return 2
        if path == MINI_NT and not self.s.mini_nt:
            return 2
        self._put_pointer(result, KEY)
        return 0

    def RegQueryValueExA(self, key, name, reserved, kind, data, size):
        name = self._string(name)
        self.o.lookups.append(f"RegQueryValueExA {name}")
        value = self.s.registry.get(name) if key == KEY and reserved == 0 else None
        if value is None:
            return 2
        capacity = struct.unpack("<I", self.uc.mem_read(size, 4))[0]
        self._put(size, len(value[1]))
        self._put(kind, value[0])  # the type and the size it needs, even where it does not fit
        if len(value[1]) > capacity:
            return 234  # ERROR_MORE_DATA
        self.uc.mem_write(data, value[1])
        return 0

    def RegCloseKey(self, key):
        self.o.lookups.append("RegCloseKey")
        return 0
