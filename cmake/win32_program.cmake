# zepho.exe: a console program for every 32-bit Windows from Windows 95 on,
# linked against KERNEL32 alone with no C or C++ runtime.
enable_language(RC)

# Every Windows that zepho names runs on a 386; its code must too (the
# instruction-set check fails on anything newer, e.g. -DZEPHO_MARCH=i686).
set(ZEPHO_MARCH i386 CACHE STRING "Processor that zepho.exe is compiled for")

# -Oz: the smallest code GCC makes, some 70 bytes smaller than -Os here.
set(ZEPHO_FREESTANDING_FLAGS
  -Oz -march=${ZEPHO_MARCH} -mregparm=3 -flto -mpreferred-stack-boundary=2 -malign-data=abi -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-stack-protector
  -fno-threadsafe-statics -fno-tree-loop-distribute-patterns
  -fno-ident -ffunction-sections -fdata-sections)
target_compile_options(zepho_core PRIVATE ${ZEPHO_FREESTANDING_FLAGS})

add_executable(zepho
  src/platform/win32_entry.cc
  src/platform/win32_platform.cc
  src/platform/win32_runtime.cc
  src/platform/zepho.rc)
target_compile_options(zepho PRIVATE ${ZEPHO_FREESTANDING_FLAGS})
target_compile_definitions(zepho PRIVATE WIN32_LEAN_AND_MEAN)
configure_file(src/platform/zepho_version.h.in ${CMAKE_CURRENT_BINARY_DIR}/zepho_version.h)
configure_file(src/platform/zepho.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/zepho.manifest)
set_source_files_properties(src/platform/zepho.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/zepho.manifest)
target_include_directories(zepho PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(zepho PRIVATE zepho_core kernel32 gcc)
target_link_options(zepho PRIVATE
  -Oz -march=${ZEPHO_MARCH} -mregparm=3 -flto -malign-data=abi -nostdlib -static -s
  -Wl,--entry,_zephoStart
  -Wl,-T,${CMAKE_CURRENT_SOURCE_DIR}/cmake/zepho.ld
  -Wl,--subsystem,console:4.0
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0
  -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
  -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,-Map,${CMAKE_CURRENT_BINARY_DIR}/zepho.map
  -Wl,--disable-dynamicbase -Wl,--nxcompat -Wl,--disable-reloc-section)
# Debian's Python modules (pefile, capstone, unicorn) load in Debian's
# interpreter; the DOS stub's placing, the checks, the emulated-CPU rows and
# the packaging use them.
set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Python with Debian's modules")
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# zepho's own MS-DOS program (8086 code): assembled, its code and message cut
# out as plain bytes, and put at the front of the linked exe in place of
# the linker's stub.
set(DOS_STUB ${CMAKE_CURRENT_BINARY_DIR}/dos_stub)
add_custom_command(OUTPUT ${DOS_STUB}.code ${DOS_STUB}.message
  COMMAND ${CMAKE_CXX_COMPILER} -c -x assembler -o ${DOS_STUB}.o ${CMAKE_CURRENT_SOURCE_DIR}/src/platform/dos_stub.s
  COMMAND ${CMAKE_OBJCOPY} -O binary -j .text ${DOS_STUB}.o ${DOS_STUB}.code
  COMMAND ${CMAKE_OBJCOPY} -O binary -j .data ${DOS_STUB}.o ${DOS_STUB}.message
  DEPENDS src/platform/dos_stub.s
  VERBATIM)
add_custom_target(dos_stub DEPENDS ${DOS_STUB}.code ${DOS_STUB}.message)
add_dependencies(zepho dos_stub)
add_custom_command(TARGET zepho POST_BUILD
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/cmake/dos_stub.py
    $<TARGET_FILE:zepho> ${DOS_STUB}.code ${DOS_STUB}.message
  VERBATIM)
# kernel32 and gcc must follow the core on the link line.
set_target_properties(zepho PROPERTIES LINK_LIBRARIES_ONLY_TARGETS OFF)
# A change to the linker script or to the DOS stub's pieces relinks it.
set_property(TARGET zepho APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/zepho.ld
  ${DOS_STUB}.code ${DOS_STUB}.message ${CMAKE_CURRENT_SOURCE_DIR}/cmake/dos_stub.py)

# The release, dist/zepho-VERSION.zip and .img; `bash scripts/package` builds it.
add_custom_target(package_zip
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/scripts/make_package.py
    --exe $<TARGET_FILE:zepho> --version ${PROJECT_VERSION} --source ${CMAKE_CURRENT_SOURCE_DIR}
    --out ${CMAKE_CURRENT_SOURCE_DIR}/dist --record ${CMAKE_CURRENT_BINARY_DIR}/package.txt
  DEPENDS zepho
  VERBATIM)

# The launcher that the Wine tests start zepho.exe with; an ordinary MinGW
# program with its C runtime.
add_executable(zepho_launcher tests/wine/launcher.cc)
target_link_options(zepho_launcher PRIVATE -static -s)

# The file itself: a PE32 console program for Windows 4.0 that imports only
# what it is meant to from KERNEL32, in 386 code throughout.
enable_testing()
add_test(NAME pe_check
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/tests/check_pe.py
    $<TARGET_FILE:zepho> ${CMAKE_CURRENT_BINARY_DIR}/zepho.map)

# The shipped bytes on an emulated CPU, against the host-built logic (the
# host preset's oracle, built on demand): rows and a sweep of build numbers.
add_test(NAME cpu_rows
  COMMAND Python3::Interpreter -m tests.cpu.run_cpu_rows --exe $<TARGET_FILE:zepho>
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
set_tests_properties(cpu_rows PROPERTIES TIMEOUT 900)

# The release zip and floppy image, built twice from copies of the tree in two folders.
add_test(NAME package COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/tests/check_package.py)
set_tests_properties(package PROPERTIES TIMEOUT 600)

# End-to-end rows under Wine, in a throwaway prefix, and under DOS in DOSBox.
add_test(NAME wine_and_dosbox_rows
  COMMAND Python3::Interpreter -m tests.wine.run_wine_tests
    --exe $<TARGET_FILE:zepho> --launcher $<TARGET_FILE:zepho_launcher>
    --examples ${CMAKE_CURRENT_SOURCE_DIR}/examples
    --releases ${CMAKE_CURRENT_SOURCE_DIR}/docs/releases.md
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
set_tests_properties(wine_and_dosbox_rows PROPERTIES TIMEOUT 5400)

# The yardstick for bench/figures.py: a program that only ends.
add_executable(zepho_noop bench/noop.cc)
target_compile_options(zepho_noop PRIVATE ${ZEPHO_FREESTANDING_FLAGS})
target_link_libraries(zepho_noop PRIVATE kernel32)
target_link_options(zepho_noop PRIVATE -nostdlib -s -Wl,--entry,_noopStart -Wl,--subsystem,console:4.0)
