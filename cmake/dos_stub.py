#!/usr/bin/python3
"""Puts zepho's own MS-DOS program at the front of zepho.exe after the link.

GNU ld and lld write a DOS header and a stub of their own, which ends with
status 1; this replaces both. The PE headers first move right after the
DOS header, and where they then need fewer 512-byte blocks than the linker
gave them, the sections' bytes move up with them. The stub's code (the .text of
src/platform/dos_stub.s) goes right after the 64-byte DOS header, and the
PE headers move up behind it, to the next multiple of 8, where they still
end within SizeOfHeaders. The message (its .data) goes at the end of the
section with the most spare bytes between its VirtualSize and its
SizeOfRawData. Where the code leaves the PE headers no room (a PE32+
optional header is 16 bytes longer), the PE headers stay at 40h and the
code goes into those spare bytes too, right before the message. The DOS header then
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


def compact(exe):
    """The PE headers right after the DOS header; where they then take fewer file blocks than the linker
    gave them (it sized them for a DOS stub of its own), the sections' bytes move up to the new end."""
    pe = pefile.PE(data=bytes(exe))
    size = 4 + 20 + pe.FILE_HEADER.SizeOfOptionalHeader + 40 * pe.FILE_HEADER.NumberOfSections
    headers, block = pe.OPTIONAL_HEADER.SizeOfHeaders, pe.OPTIONAL_HEADER.FileAlignment
    needed = (DOS_HEADER + size + block - 1) // block * block
    if needed >= headers:
        return exe
    pe_headers = exe[pe.DOS_HEADER.e_lfanew:pe.DOS_HEADER.e_lfanew + size]
    exe[DOS_HEADER:headers] = bytes(headers - DOS_HEADER)
    exe[DOS_HEADER:DOS_HEADER + size] = pe_headers
    struct.pack_into("<I", exe, 0x3C, DOS_HEADER)
    del exe[needed:headers]
    pe = pefile.PE(data=bytes(exe))
    pe.OPTIONAL_HEADER.SizeOfHeaders = needed
    for section in pe.sections:
        if section.PointerToRawData:
            section.PointerToRawData -= headers - needed
    return bytearray(pe.write())


def place(exe, code, message):
    pe = pefile.PE(data=bytes(exe))
    old = pe.DOS_HEADER.e_lfanew
    size = 4 + 20 + pe.FILE_HEADER.SizeOfOptionalHeader + 40 * pe.FILE_HEADER.NumberOfSections
    after_code = (DOS_HEADER + len(code) + 7) & ~7
    code_in_header = after_code + size <= pe.OPTIONAL_HEADER.SizeOfHeaders
    new = after_code if code_in_header else DOS_HEADER
    if new + size > pe.OPTIONAL_HEADER.SizeOfHeaders:
        sys.exit("dos_stub: the PE headers do not fit in SizeOfHeaders")
    pe_headers = exe[old:old + size]
    exe[DOS_HEADER:pe.OPTIONAL_HEADER.SizeOfHeaders] = bytes(pe.OPTIONAL_HEADER.SizeOfHeaders - DOS_HEADER)
    exe[new:new + size] = pe_headers

    # The code addresses itself from offset 0 of CS, and the message from
    # SP with DS and SS equal to CS: the code's first byte starts a paragraph
    # of the loaded image, and the message lies in the same segment, 16
    # bytes of stack above the code where both share the spare bytes.
    section = max(pe.sections, key=lambda s: s.SizeOfRawData - s.Misc_VirtualSize)
    end = section.PointerToRawData + section.SizeOfRawData
    message_at = (end - len(message)) & ~1  # SP, which points at it, stays even
    code_at = DOS_HEADER
    if not code_in_header:
        message_at = (end - len(message) - 16) & ~15
        code_at = (message_at - len(code) - 16 - DOS_HEADER) // 16 * 16 + DOS_HEADER
    lowest = message_at if code_in_header else code_at  # what the section's spare bytes must hold from
    if lowest < section.PointerToRawData + section.Misc_VirtualSize:
        sys.exit("dos_stub: no section has spare bytes for the DOS program")
    exe[code_at:code_at + len(code)] = code
    exe[message_at:message_at + len(message)] = message
    loaded = max(message_at + len(message), code_at + len(code))
    segment = (code_at - DOS_HEADER) // 16
    struct.pack_into("<2s13H", exe, 0, b"MZ",
                     loaded % 512, (loaded + 511) // 512,  # bytes in the last page, pages
                     0, DOS_HEADER // 16,  # relocations, header paragraphs
                     0, 0xFFFF,  # memory beyond the file: at least none, at most all
                     segment, message_at - code_at,  # SS:SP at the message
                     0, 0, segment,  # checksum, IP, CS: the code's first byte
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
    exe = place(compact(exe), code, message)
    with open(exe_path, "wb") as f:
        f.write(exe)


if __name__ == "__main__":
    main(*sys.argv[1:])
