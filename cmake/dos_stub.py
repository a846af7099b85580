#!/usr/bin/python3
"""Puts zepho's own MS-DOS program at the front of zepho.exe after the link.

GNU ld writes a DOS header and a stub of its own, which ends with status 1;
this replaces both. The stub's code (the .text of src/platform/dos_stub.s)
goes right after the 64-byte DOS header, and the PE headers move up behind
it, to the next multiple of 8; they must still end within SizeOfHeaders.
The message (its .data) goes at the end of the section with the most spare
bytes between its VirtualSize and its SizeOfRawData. The DOS header then
loads the file up to the message's end, with CS:IP at the code and SS:SP at
the message, and keeps the relocation-table offset 40h, no relocations and
zero reserved words, so Windows still finds the PE header. Last the PE
checksum is recomputed. Running it again on its output changes nothing.

usage: dos_stub.py EXE CODE.bin MESSAGE.bin
"""
import struct
import sys

import pefile

DOS_HEADER = 0x40


def place(exe, code, message):
    pe = pefile.PE(data=bytes(exe))
    old = pe.DOS_HEADER.e_lfanew
    size = 4 + 20 + pe.FILE_HEADER.SizeOfOptionalHeader + 40 * pe.FILE_HEADER.NumberOfSections
    new = (DOS_HEADER + len(code) + 7) & ~7
    if new + size > pe.OPTIONAL_HEADER.SizeOfHeaders:
        sys.exit(f"dos_stub: {len(code)} bytes of DOS code leave no room for the PE headers")
    pe_headers = exe[old:old + size]
    exe[DOS_HEADER:pe.OPTIONAL_HEADER.SizeOfHeaders] = bytes(pe.OPTIONAL_HEADER.SizeOfHeaders - DOS_HEADER)
    exe[DOS_HEADER:DOS_HEADER + len(code)] = code
    exe[new:new + size] = pe_headers

    section = max(pe.sections, key=lambda s: s.SizeOfRawData - s.Misc_VirtualSize)
    end = section.PointerToRawData + section.SizeOfRawData
    at = (end - len(message)) & ~1  # SP, which points at it, stays even
    if at < section.PointerToRawData + section.Misc_VirtualSize:
        sys.exit(f"dos_stub: no section has {len(message)} spare bytes for the message")
    exe[at:at + len(message)] = message
    loaded = at + len(message)
    struct.pack_into("<2s13H", exe, 0, b"MZ",
                     loaded % 512, (loaded + 511) // 512,  # bytes in the last page, pages
                     0, DOS_HEADER // 16,  # relocations, header paragraphs
                     0, 0xFFFF,  # memory beyond the file: at least none, at most all
                     0, at - DOS_HEADER,  # SS:SP at the message
                     0, 0, 0,  # checksum, IP, CS: the code's first byte
                     DOS_HEADER, 0)  # relocation-table offset, overlay
    exe[0x1C:0x3C] = bytes(0x3C - 0x1C)
    struct.pack_into("<I", exe, 0x3C, new)

    pe = pefile.PE(data=bytes(exe))
    struct.pack_into("<I", exe, pe.OPTIONAL_HEADER.get_file_offset() + 64, pe.generate_checksum())
    return exe


def main(exe_path, code_path, message_path):
    with open(exe_path, "rb") as f:
        exe = bytearray(f.read())
    with open(code_path, "rb") as f:
        code = f.read()
    with open(message_path, "rb") as f:
        message = f.read().rstrip(b"\0")  # the assembler pads the section
    exe = place(exe, code, message)
    with open(exe_path, "wb") as f:
        f.write(exe)


if __name__ == "__main__":
    main(*sys.argv[1:])
