# ZEPHO.EXE: 32-bit x86 for every Windows from 95 on, cross-built with
# Debian's MinGW-w64 and linked by GNU ld with cmake/zepho.ld.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# Every Windows that zepho names runs on a 386; its code must too (the
# instruction-set check fails on anything newer, e.g. -DZEPHO_MARCH=i686).
set(ZEPHO_MARCH i386 CACHE STRING "Processor that zepho.exe is compiled for")
set(ZEPHO_EXE_NAME zepho)
set(ZEPHO_MANIFEST_ARCH x86)
set(ZEPHO_DOS_MESSAGE "ZEPHO needs Windows 95 or later.")
set(ZEPHO_PROCESSOR_NAME x86)
# No stack probe: every frame stays under 4 KB (check_pe.py fails on one
# that does not), and without it GCC passes arguments with PUSH rather than
# moving them into a reserved block, 464 bytes less; without the frame
# pointer, 192 bytes less again.
set(ZEPHO_MACHINE_FLAGS -march=${ZEPHO_MARCH} -mpreferred-stack-boundary=2 -malign-data=abi
  -mno-stack-arg-probe -fomit-frame-pointer)
set(ZEPHO_ENTRY _zephoStart)
set(ZEPHO_SUBSYSTEM_VERSION 4 0)
set(ZEPHO_LINKER gnu)
# No exception handlers, which the image says so that nothing looks for them.
set(ZEPHO_IMAGE_FLAGS -Wl,--no-seh)
