# ZEPHO64.EXE: native x64, for the Windows that run no 32-bit program
# (Windows PE, Nano Server, Server Core without WOW64), cross-built with
# Debian's MinGW-w64 and linked by GNU ld with cmake/zepho.ld.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

set(ZEPHO_EXE_NAME zepho64)
set(ZEPHO_MANIFEST_ARCH amd64)
set(ZEPHO_DOS_MESSAGE "ZEPHO64.EXE needs 64-bit Windows XP or later on x64.")
set(ZEPHO_PROCESSOR_NAME x64)
set(ZEPHO_MACHINE_FLAGS -march=x86-64)
set(ZEPHO_ENTRY zephoStart)
# Windows Server 2003 x64 and XP x64 Edition, the first x64 Windows, are 5.2.
set(ZEPHO_SUBSYSTEM_VERSION 5 2)
set(ZEPHO_LINKER gnu)
set(ZEPHO_IMAGE_FLAGS -Wl,--high-entropy-va)
