# ZEPHOA64.EXE: native ARM64, for Windows PE and Windows 10 and 11 on ARM64,
# which run no x64 code before Windows 11. clang compiles for
# aarch64-w64-windows-gnu against the MinGW-w64 headers and the header-only
# parts of libstdc++; lld links it against an import library that
# llvm-dlltool makes from cmake/kernel32.def.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ZEPHO_TARGET aarch64-w64-windows-gnu)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${ZEPHO_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${ZEPHO_TARGET})
set(CMAKE_RC_COMPILER llvm-windres-14)
set(CMAKE_RC_FLAGS "--target=aarch64-w64-mingw32 -I /usr/x86_64-w64-mingw32/include")
set(CMAKE_OBJCOPY llvm-objcopy)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(ZEPHO_MINGW_HEADERS /usr/x86_64-w64-mingw32/include)
set(ZEPHO_LIBSTDCXX /usr/lib/gcc/x86_64-w64-mingw32/12-win32/include/c++)
set(CMAKE_CXX_FLAGS_INIT "-Wno-unused-command-line-argument -nostdinc++ -isystem ${ZEPHO_LIBSTDCXX} -isystem ${ZEPHO_LIBSTDCXX}/x86_64-w64-mingw32 -isystem ${ZEPHO_MINGW_HEADERS}")
set(CMAKE_C_FLAGS_INIT "-isystem ${ZEPHO_MINGW_HEADERS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib")
# Nothing but the import library that the build makes.
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "" FORCE)

set(ZEPHO_EXE_NAME zephoa64)
set(ZEPHO_MANIFEST_ARCH arm64)
set(ZEPHO_DOS_MESSAGE "ZEPHOA64.EXE needs Windows 10 or later on ARM64.")
set(ZEPHO_PROCESSOR_NAME ARM64)
set(ZEPHO_MACHINE_FLAGS)
set(ZEPHO_ENTRY zephoStart)
# The oldest that lld writes and the ARM64 loader takes: Windows 8's.
set(ZEPHO_SUBSYSTEM_VERSION 6 2)
set(ZEPHO_LINKER lld)
# The DOS stub is 8086 code, assembled by the same clang for x86.
set(ZEPHO_STUB_ASSEMBLER clang --target=i386-unknown-linux-gnu)
set(ZEPHO_DLLTOOL_MACHINE arm64)
