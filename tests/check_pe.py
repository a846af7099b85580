#!/usr/bin/env python3
"""Checks that zepho.exe is a PE32 console program that Windows 95 loads and
that it imports nothing but the KERNEL32 functions it is meant to.

Reads the file itself; prints its figures and one line per problem.
"""
import struct
import sys

ALLOWED = {"KERNEL32.DLL": {
    "GetVersionExA", "GetEnvironmentVariableA", "GetCommandLineA", "GetStdHandle", "GetFileType",
    "CloseHandle", "WriteFile", "GetLastError", "GetModuleFileNameA", "ExitProcess"}}
MAX_SIZE = 8192


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, count, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.entry = struct.unpack_from("<I", data, opt + 16)[0]
        self.os_version = struct.unpack_from("<HH", data, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        self.directories = [struct.unpack_from("<II", data, opt + 96 + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(count):
            name, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, opt + optional_size + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), vsize, vaddr, rsize, raddr))

    def offset(self, rva):
        for _, vsize, vaddr, rsize, raddr in self.sections:
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return raddr + rva - vaddr
        raise ValueError(f"address {rva:#x} is in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imports(self):
        found = {}
        rva, size = self.directories[1]
        if size == 0:
            return found
        at = self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if name == 0:
                return found
            functions = found.setdefault(self.text(name).upper(), [])
            entry = self.offset(lookup or thunks)
            while (value := struct.unpack_from("<I", self.data, entry)[0]) != 0:
                functions.append(f"#{value & 0xFFFF}" if value & 0x80000000 else self.text(value + 2))
                entry += 4
            at += 20


def main(path):
    data = open(path, "rb").read()
    pe = Pe(data)
    problems = []
    imports = pe.imports()
    print(f"size: {len(data)} bytes")
    for name, vsize, _, rsize, _ in pe.sections:
        print(f"section {name}: {vsize} bytes ({rsize} in the file)")
    for dll, functions in imports.items():
        print(f"imports {dll}: {' '.join(sorted(functions))}")
    if len(data) > MAX_SIZE:
        problems.append(f"{len(data)} bytes, more than {MAX_SIZE}")
    if pe.machine != 0x14C or pe.magic != 0x10B:
        problems.append("not a 32-bit x86 PE32 image")
    if pe.subsystem != 3:
        problems.append(f"subsystem {pe.subsystem}, not the console (3)")
    if pe.subsystem_version > (4, 0) or pe.os_version > (4, 0):
        problems.append(f"needs Windows {pe.subsystem_version} / {pe.os_version}, above 4.0")
    if pe.directories[9][1] != 0:
        problems.append("has a TLS directory")
    if pe.directories[2][1] == 0:
        problems.append("has no resource (version information)")
    elif b"F\0i\0l\0e\0V\0e\0r\0s\0i\0o\0n\0" not in data:
        problems.append("its resource has no FileVersion")
    for dll, functions in imports.items():
        allowed = ALLOWED.get(dll)
        if allowed is None:
            problems.append(f"imports from {dll}")
            continue
        for function in functions:
            if function not in allowed:
                problems.append(f"imports {dll}!{function}")
    if "KERNEL32.DLL" not in imports:
        problems.append("imports nothing from KERNEL32.DLL")
    for problem in problems:
        print(f"FAIL {path}: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
