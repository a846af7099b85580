#!/usr/bin/python3
"""Checks one of zepho's Windows programs: ZEPHO.EXE, a PE32 console program
that Windows 95 loads on a 386, or ZEPHO64.EXE and ZEPHOA64.EXE, PE32+
console programs for the first x64 and ARM64 Windows. Each imports nothing
but the KERNEL32 functions it is meant to, links no stack probe, keeps its
stack frames under 4 KB, its size within its limit and its relocations,
has its build's DllCharacteristics, no writable code and, unless
--signed, no certificates; on x86 none of its code is newer than the 80386.

The code is told from the constants that share .text by the link map (GNU
ld's or lld's): every input section named .text* is code and is
disassembled whole, so the check sees every function, run or not. Prints
its figures and one line per problem.
"""
import re
import struct
import sys
import xml.etree.ElementTree as ET
from dataclasses import dataclass

import capstone
import pefile

ALLOWED = {"KERNEL32.DLL": {
    "GetVersionExA", "GetEnvironmentVariableA", "GetCommandLineA", "GetStdHandle", "GetFileType",
    "CloseHandle", "WriteFile", "GetLastError", "GetModuleFileNameA", "ExitProcess", "LoadLibraryA",
    "GetProcAddress"}}

@dataclass
class Build:
    machine: int
    magic: int  # PE32 or PE32+
    subsystem: tuple
    max_size: int  # unsigned, with its relocations
    disassembler: object
    frame: re.Pattern  # an instruction that makes a stack frame, its size in group 1
    flags: tuple  # its DllCharacteristics, all of them


# DllCharacteristics: every build is relocatable, loaded anywhere (ASLR) and in memory that runs no data.
FLAGS = {"HIGH_ENTROPY_VA": 0x20, "DYNAMIC_BASE": 0x40, "NX_COMPAT": 0x100, "NO_SEH": 0x400,
         "TERMINAL_SERVER_AWARE": 0x8000}


BUILDS = {
    "x86": Build(0x14C, 0x10B, (4, 0), 11776, capstone.Cs(capstone.CS_ARCH_X86, capstone.CS_MODE_32),
                 re.compile(r"sub esp, ((?:0x)?[0-9a-f]+)$"),
                 ("DYNAMIC_BASE", "NX_COMPAT", "NO_SEH", "TERMINAL_SERVER_AWARE")),
    "amd64": Build(0x8664, 0x20B, (5, 2), 14848, capstone.Cs(capstone.CS_ARCH_X86, capstone.CS_MODE_64),
                   re.compile(r"sub rsp, ((?:0x)?[0-9a-f]+)$"),
                   ("HIGH_ENTROPY_VA", "DYNAMIC_BASE", "NX_COMPAT", "TERMINAL_SERVER_AWARE")),
    "arm64": Build(0xAA64, 0x20B, (6, 2), 14848, capstone.Cs(capstone.CS_ARCH_ARM64, capstone.CS_MODE_ARM),
                   re.compile(r"sub sp, sp, #((?:0x)?[0-9a-f]+)(?:, lsl #12)?$"),
                   ("HIGH_ENTROPY_VA", "DYNAMIC_BASE", "NX_COMPAT", "TERMINAL_SERVER_AWARE")),
}
ASM, COMPAT = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:compatibility.v1}"
OS = ["{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]

# Instructions that came after the 386: the 486's, the Pentium's, the Pentium
# Pro's and later ones, and anything on an MMX or SSE register.
NEWER = re.compile(r"^(cmov|fcmov|fcomi|fucomi|bswap|cmpxchg|xadd|invd|wbinvd|invlpg|cpuid|rdtsc|rdpmc|"
                   r"rdmsr|wrmsr|sysenter|sysexit|syscall|sysret|endbr|pause|ud2|[lms]fence|prefetch|"
                   r"clflush|movnti|fxsave|fxrstor|emms|fisttp|[ls]dmxcsr|popcnt|lzcnt|tzcnt|movbe|crc32)")
VECTOR_REGISTER = re.compile(r"\b[xyz]?mm\d")
NOT_8086 = {0x0F, 0xC0, 0xC1, 0xC8, 0xC9, *range(0x60, 0x70)}  # opcodes after prefixes; 60h-6Fh: PUSHA ... OUTS, 66h, 67h


def newer_than_386(insn):
    """True for an instruction a 386 does not have (the long NOP included)."""
    return bool(NEWER.match(insn.mnemonic) or VECTOR_REGISTER.search(insn.op_str)
                or (insn.mnemonic == "nop" and insn.size > 1))


def code_ranges(map_text, base):
    """(address, size, object) of each code input section in the link map: GNU ld's, with addresses, or
    lld's, with offsets from the image base."""
    ranges = []
    for name, address, size, where in re.findall(
            r"^ (\.text\S*)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+) (.+)$", map_text, re.M):
        if int(address, 16) and int(size, 16):
            ranges.append((int(address, 16), int(size, 16), where.strip()))
    for address, size, where in re.findall(r"^([0-9a-f]{8}) ([0-9a-f]{8})\s+\d+\s+(\S+:\(\.text[^)]*\))$",
                                           map_text, re.M):
        if int(size, 16):
            ranges.append((base + int(address, 16), int(size, 16), where))
    return ranges


def instruction_problems(pe, map_text, build):
    """A stack probe, frames of 4 KB or more (which would need the probe) and, on x86, instructions
    newer than the 386."""
    probes = sorted(set(re.findall(r"\b_*((?:chkstk\w*|alloca))\b", map_text)))
    problems, counted, newer, frame = [f"links the stack probe {name}" for name in probes], 0, 0, 0
    # lld puts .data into the read-only .text, which holds only while the program writes no globals.
    problems += [f"writable data {where}" for size, where in re.findall(
        r"^[0-9a-f]{8} ([0-9a-f]{8})\s+\d+\s+(\S+:\(\.(?:data|bss)[^)]*\))$", map_text, re.M) if int(size, 16)]
    base = pe.OPTIONAL_HEADER.ImageBase
    ranges = code_ranges(map_text, base)
    if not ranges:
        return ["the link map names no code"], 0, 0, 0
    for address, size, where in ranges:
        code = pe.get_data(address - base, size)
        insns = list(build.disassembler.disasm(code, address))
        end = insns[-1].address + insns[-1].size if insns else address
        counted += len(insns)
        if end != address + size:
            problems.append(f"bytes at {end:#x} in {where} do not decode")
        for insn in insns:  # a frame of 4 KB or more comes with the probe, or as "sub esp, size" without it
            made = build.frame.match(f"{insn.mnemonic} {insn.op_str}")
            if made:
                frame = max(frame, int(made.group(1), 0) << (12 if "lsl #12" in insn.op_str else 0))
            if build.machine == 0x14C and newer_than_386(insn):
                newer += 1
                problems.append(f"{insn.address:#x}: {insn.mnemonic} {insn.op_str} is newer than the 386")
    if frame >= 4096:
        problems.append(f"a stack frame of {frame} bytes, 4 KB or more")
    return problems, counted, newer, frame


def manifest_problems(pe, arch):
    """What Windows XP, strict about manifests, or Windows 8.1 and later would not take: nothing but this."""
    ms, ls = pe.VS_FIXEDFILEINFO[0].FileVersionMS, pe.VS_FIXEDFILEINFO[0].FileVersionLS
    identity = {"type": "win32", "name": "zepho", "processorArchitecture": arch,
                "version": f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"}
    wanted = [(ASM + "assembly", {"manifestVersion": "1.0"}), (ASM + "assemblyIdentity", identity), *[
        (COMPAT + t, {}) for t in ("compatibility", "application")], *[(COMPAT + "supportedOS", {"Id": i}) for i in OS]]
    for data in (d.data.struct for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.id == 24
                 for n in t.directory.entries if n.id == 1 for d in n.directory.entries):
        got = [(e.tag, e.attrib) for e in ET.fromstring(pe.get_data(data.OffsetToData, data.Size)).iter()]
        return [] if got == wanted else [f"its manifest holds {got}, not {wanted}"]  # Windows 8.1, 10
    return ["has no manifest (resource type 24, ID 1)"]


def dos_code(data, pe):
    """The DOS program's code: after the DOS header, or where CS:IP points, up to the message at SS:SP."""
    ss, sp, _, ip, cs = struct.unpack_from("<5H", data, 0x0E)
    start = 0x40 + cs * 16 + ip
    end = 0x40 + ss * 16 + sp
    if start == 0x40:  # the code stands before the PE headers
        end = pe.DOS_HEADER.e_lfanew
    return start, data[start:end]


def image_problems(pe, build, signed):
    """The DllCharacteristics, relocations, sections and certificate table an allow-listed program needs."""
    problems = []
    want = sum(FLAGS[name] for name in build.flags)
    have = pe.OPTIONAL_HEADER.DllCharacteristics
    if have != want:
        problems.append(f"DllCharacteristics {have:#x}, not {want:#x} ({' '.join(build.flags)})")
    if pe.FILE_HEADER.Characteristics & 1 or pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size == 0:
        problems.append("its relocations are stripped")
    for section in pe.sections:
        if section.Characteristics & 0xA0000000 == 0xA0000000:
            problems.append(f"section {section.Name.decode().rstrip(chr(0))} is both writable and executable")
    has_certificates = pe.OPTIONAL_HEADER.DATA_DIRECTORY[4].Size != 0
    if has_certificates and not signed:
        problems.append("has a certificate table")
    if signed and not has_certificates:
        problems.append("is not signed")
    return problems


def main(path, map_path, arch="x86", signed=""):
    build = BUILDS[arch]
    with open(path, "rb") as f:
        data = f.read()
    pe = pefile.PE(data=data)
    # The limits are the unsigned program's; a signature adds its certificates at the end.
    size = pe.OPTIONAL_HEADER.DATA_DIRECTORY[4].VirtualAddress or len(data)
    problems = image_problems(pe, build, signed == "--signed")
    print(f"size: {size} bytes")
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode()
        print(f"section {name}: {section.Misc_VirtualSize} bytes"
              f" ({section.SizeOfRawData} in the file)")
    imports = {entry.dll.decode().upper(): [i.name.decode() if i.name else f"#{i.ordinal}" for i in entry.imports]
               for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    for dll, functions in imports.items():
        print(f"imports {dll}: {' '.join(sorted(functions))}")
    if size > build.max_size:
        problems.append(f"{size} bytes, more than {build.max_size}")
    if (pe.FILE_HEADER.Machine, pe.OPTIONAL_HEADER.Magic) != (build.machine, build.magic):
        problems.append(f"machine {pe.FILE_HEADER.Machine:#x}, magic {pe.OPTIONAL_HEADER.Magic:#x}, not {arch}")
    opt = pe.OPTIONAL_HEADER
    if opt.Subsystem != 3:
        problems.append(f"subsystem {opt.Subsystem}, not the console (3)")
    print(f"subsystem version: {opt.MajorSubsystemVersion}.{opt.MinorSubsystemVersion}")
    if (opt.MajorSubsystemVersion, opt.MinorSubsystemVersion) != build.subsystem or \
            (opt.MajorOperatingSystemVersion, opt.MinorOperatingSystemVersion) != build.subsystem:
        problems.append(f"does not ask for Windows {build.subsystem[0]}.{build.subsystem[1]}")
    directories = opt.DATA_DIRECTORY
    if directories[9].Size != 0:
        problems.append("has a TLS directory")
    if directories[2].Size == 0:
        problems.append("has no resource (version information)")
    elif b"F\0i\0l\0e\0V\0e\0r\0s\0i\0o\0n\0" not in data:
        problems.append("its resource has no FileVersion")
    for dll, functions in imports.items():
        unexpected = set(functions) - ALLOWED.get(dll, set())
        problems += [f"imports {dll}!{function}" for function in sorted(unexpected)]
    for dll, functions in ALLOWED.items():
        problems += [f"does not import {dll}!{name}" for name in sorted(functions - set(imports.get(dll, [])))]
    stub_at, stub_code = dos_code(data, pe)
    stub = capstone.Cs(capstone.CS_ARCH_X86, capstone.CS_MODE_16).disasm(stub_code, stub_at)
    problems += [f"DOS stub {i.address:#x}: {i.mnemonic} {i.op_str} is newer than the 8086" for i in stub
                 if i.bytes.lstrip(b"\x26\x2e\x36\x3e\xf0\xf2\xf3")[0] in NOT_8086]
    problems += manifest_problems(pe, arch)
    if pe.DOS_HEADER.e_lfarlc != 0x40:  # below 40h, Windows 95 and DOS take the file for a plain DOS program
        problems.append(f"e_lfarlc {pe.DOS_HEADER.e_lfarlc:#x}, not 0x40")
    if opt.CheckSum != pe.generate_checksum():
        problems.append(f"stored checksum {opt.CheckSum:#x}, computed {pe.generate_checksum():#x}")
    with open(map_path) as f:
        isa_problems, counted, newer, frame = instruction_problems(pe, f.read(), build)
    print(f"code: {counted} instructions, {newer} newer than the 386; largest stack frame {frame} bytes")
    problems += isa_problems
    for problem in problems:
        print(f"FAIL {path}: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
