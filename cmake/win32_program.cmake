# zepho's Windows program, for the processor the toolchain file names
# (cmake/mingw-i686.cmake, mingw-x86_64.cmake, clang-aarch64.cmake): a
# console program linked against KERNEL32 alone with no C or C++ runtime.
# The toolchain file sets what differs: ZEPHO_EXE_NAME, ZEPHO_MACHINE_FLAGS,
# ZEPHO_ENTRY, ZEPHO_SUBSYSTEM_VERSION (major and minor), ZEPHO_MANIFEST_ARCH,
# ZEPHO_PROCESSOR_NAME (as /VERSION names it), ZEPHO_DOS_MESSAGE (what the
# DOS program says the build needs) and ZEPHO_LINKER, gnu (GNU ld with
# cmake/zepho.ld) or lld.
enable_language(RC)

# -Oz: the smallest code GCC makes, some 70 bytes smaller than -Os here.
set(ZEPHO_FREESTANDING_FLAGS
  -Oz ${ZEPHO_MACHINE_FLAGS} -flto -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-stack-protector
  -fno-threadsafe-statics -fno-ident -ffunction-sections -fdata-sections)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND ZEPHO_FREESTANDING_FLAGS -fno-tree-loop-distribute-patterns)
endif()
target_compile_options(zepho_core PRIVATE ${ZEPHO_FREESTANDING_FLAGS})

add_executable(zepho
  src/platform/win32_entry.cc
  src/platform/win32_platform.cc
  src/platform/win32_system_facts.cc
  src/platform/win32_runtime.cc
  src/platform/zepho.rc)
set_target_properties(zepho PROPERTIES OUTPUT_NAME ${ZEPHO_EXE_NAME})
target_compile_options(zepho PRIVATE ${ZEPHO_FREESTANDING_FLAGS})
# The runtime's own memset and the like stay loops, not calls to themselves.
set_source_files_properties(src/platform/win32_runtime.cc PROPERTIES COMPILE_OPTIONS -fno-builtin)
target_compile_definitions(zepho PRIVATE WIN32_LEAN_AND_MEAN)
string(TOUPPER "${ZEPHO_EXE_NAME}.EXE" ZEPHO_PROGRAM_NAME)
configure_file(src/platform/zepho_version.h.in ${CMAKE_CURRENT_BINARY_DIR}/zepho_version.h)
configure_file(src/platform/zepho.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/zepho.manifest)
set_source_files_properties(src/platform/zepho.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/zepho.manifest)
target_include_directories(zepho PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
list(GET ZEPHO_SUBSYSTEM_VERSION 0 ZEPHO_SUBSYSTEM_MAJOR)
list(GET ZEPHO_SUBSYSTEM_VERSION 1 ZEPHO_SUBSYSTEM_MINOR)
set(ZEPHO_MAP ${CMAKE_CURRENT_BINARY_DIR}/${ZEPHO_EXE_NAME}.map)
target_link_options(zepho PRIVATE
  -Oz ${ZEPHO_MACHINE_FLAGS} -flto -nostdlib -static -s
  -Wl,--entry,${ZEPHO_ENTRY}
  -Wl,--subsystem,console:${ZEPHO_SUBSYSTEM_MAJOR}.${ZEPHO_SUBSYSTEM_MINOR}
  -Wl,--major-os-version,${ZEPHO_SUBSYSTEM_MAJOR} -Wl,--minor-os-version,${ZEPHO_SUBSYSTEM_MINOR}
  -Wl,--major-subsystem-version,${ZEPHO_SUBSYSTEM_MAJOR} -Wl,--minor-subsystem-version,${ZEPHO_SUBSYSTEM_MINOR}
  -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--Map=${ZEPHO_MAP} -Wl,--nxcompat)
if(ZEPHO_LINKER STREQUAL "gnu")
  target_link_libraries(zepho PRIVATE zepho_core kernel32 gcc)
  # One read-only section for code and constants: the linker script keeps
  # the headers, the imports, the resources and the relocations in as few
  # 512-byte blocks as it can.
  target_link_options(zepho PRIVATE -Wl,-T,${CMAKE_CURRENT_SOURCE_DIR}/cmake/zepho.ld
    -Wl,--dynamicbase -Wl,--tsaware ${ZEPHO_IMAGE_FLAGS})
  set_property(TARGET zepho APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/zepho.ld)
else()
  # lld: the import library from the list of the twelve functions; code,
  # constants and the import table in one section. ARM64 Windows loads only relocatable images,
  # so the relocations stay.
  set(KERNEL32_LIB ${CMAKE_CURRENT_BINARY_DIR}/libkernel32.a)
  add_custom_command(OUTPUT ${KERNEL32_LIB}
    COMMAND llvm-dlltool -m ${ZEPHO_DLLTOOL_MACHINE} -d ${CMAKE_CURRENT_SOURCE_DIR}/cmake/kernel32.def -l ${KERNEL32_LIB}
    DEPENDS cmake/kernel32.def
    VERBATIM)
  add_custom_target(kernel32_lib DEPENDS ${KERNEL32_LIB})
  add_dependencies(zepho kernel32_lib)
  target_link_libraries(zepho PRIVATE zepho_core ${KERNEL32_LIB})
  # lld sizes the headers before it drops the empty .data, so that goes into
  # .text too; the program has no writable data, which check_pe.py holds.
  target_link_options(zepho PRIVATE -fuse-ld=lld -Wl,--dynamicbase
    -Wl,--Xlink=-merge:.rdata=.text -Wl,--Xlink=-merge:.pdata=.text -Wl,--Xlink=-merge:.data=.text)
endif()
# Debian's Python modules (pefile, capstone, unicorn) load in Debian's
# interpreter; the DOS stub's placing, the checks, the emulated-CPU rows and
# the packaging use them.
set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Python with Debian's modules")
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# zepho's own MS-DOS program (8086 code): assembled, its code and message cut
# out as plain bytes, and put at the front of the linked exe in place of
# the linker's stub.
set(DOS_STUB ${CMAKE_CURRENT_BINARY_DIR}/dos_stub)
if(NOT ZEPHO_STUB_ASSEMBLER)
  set(ZEPHO_STUB_ASSEMBLER ${CMAKE_CXX_COMPILER})
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/dos_message.s.in "\t.ascii\t\"${ZEPHO_DOS_MESSAGE}\\r\\n\"\n")
configure_file(${CMAKE_CURRENT_BINARY_DIR}/dos_message.s.in ${CMAKE_CURRENT_BINARY_DIR}/dos_message.s COPYONLY)
add_custom_command(OUTPUT ${DOS_STUB}.code ${DOS_STUB}.message
  COMMAND ${ZEPHO_STUB_ASSEMBLER} -c -x assembler -I ${CMAKE_CURRENT_BINARY_DIR} -o ${DOS_STUB}.o
    ${CMAKE_CURRENT_SOURCE_DIR}/src/platform/dos_stub.s
  COMMAND ${CMAKE_OBJCOPY} -O binary -j .text ${DOS_STUB}.o ${DOS_STUB}.code
  COMMAND ${CMAKE_OBJCOPY} -O binary -j .data ${DOS_STUB}.o ${DOS_STUB}.message
  DEPENDS src/platform/dos_stub.s ${CMAKE_CURRENT_BINARY_DIR}/dos_message.s
  VERBATIM)
add_custom_target(dos_stub DEPENDS ${DOS_STUB}.code ${DOS_STUB}.message)
add_dependencies(zepho dos_stub)
add_custom_command(TARGET zepho POST_BUILD
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/cmake/dos_stub.py
    $<TARGET_FILE:zepho> ${DOS_STUB}.code ${DOS_STUB}.message
  VERBATIM)
# kernel32 and gcc must follow the core on the link line.
set_target_properties(zepho PROPERTIES LINK_LIBRARIES_ONLY_TARGETS OFF)
# A change to the DOS stub's pieces relinks it.
set_property(TARGET zepho APPEND PROPERTY LINK_DEPENDS
  ${DOS_STUB}.code ${DOS_STUB}.message ${CMAKE_CURRENT_SOURCE_DIR}/cmake/dos_stub.py)

# The file itself: a console program for the oldest Windows of its
# processor that imports only what it is meant to from KERNEL32, with no
# stack probe; on x86, in 386 code throughout.
enable_testing()
add_test(NAME pe_check
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/tests/check_pe.py $<TARGET_FILE:zepho> ${ZEPHO_MAP}
    ${ZEPHO_MANIFEST_ARCH})

# The shipped bytes on an emulated CPU, against the host-built logic (the
# host preset's oracle, built on demand): rows, and on x86 a sweep of build
# numbers.
set(ZEPHO_SWEEP)
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(ZEPHO_SWEEP --sweep none)
endif()
add_test(NAME cpu_rows
  COMMAND Python3::Interpreter -m tests.cpu.run_cpu_rows --exe $<TARGET_FILE:zepho> ${ZEPHO_SWEEP}
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
set_tests_properties(cpu_rows PROPERTIES TIMEOUT 900)

if(ZEPHO_LINKER STREQUAL "gnu")
  # The launcher that the Wine tests start zepho with; an ordinary MinGW
  # program with its C runtime.
  add_executable(zepho_launcher tests/wine/launcher.cc)
  target_link_options(zepho_launcher PRIVATE -static -s)
endif()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  # ZEPHO64.EXE under Wine in a 64-bit prefix: the release cases from NT 5.2
  # on, /SET and the batch files with the 64-bit cmd.exe.
  add_test(NAME wine_rows
    COMMAND Python3::Interpreter -m tests.wine.run_wine_tests --win64
      --exe $<TARGET_FILE:zepho> --launcher $<TARGET_FILE:zepho_launcher>
      --examples ${CMAKE_CURRENT_SOURCE_DIR}/examples
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(wine_rows PROPERTIES TIMEOUT 3600)
endif()

if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  return()
endif()

# The release, dist/zepho-VERSION.zip and .img; `bash scripts/package` builds it. It carries the
# two 64-bit builds too, which their own presets make first.
set(ZEPHO_OTHER_BUILDS)
foreach(preset win64 arm64)
  list(APPEND ZEPHO_OTHER_BUILDS
    COMMAND ${CMAKE_COMMAND} --preset ${preset} > /dev/null
    COMMAND ${CMAKE_COMMAND} --build --preset ${preset} --target zepho > /dev/null)
endforeach()
add_custom_target(package_zip
  ${ZEPHO_OTHER_BUILDS}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/scripts/make_package.py
    --exe $<TARGET_FILE:zepho> --exe64 ${CMAKE_CURRENT_SOURCE_DIR}/build/win64/zepho64.exe
    --exea64 ${CMAKE_CURRENT_SOURCE_DIR}/build/arm64/zephoa64.exe
    --version ${PROJECT_VERSION} --source ${CMAKE_CURRENT_SOURCE_DIR}
    --out ${CMAKE_CURRENT_SOURCE_DIR}/dist --record ${CMAKE_CURRENT_BINARY_DIR}/package.txt
  DEPENDS zepho
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})

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
target_link_options(zepho_noop PRIVATE ${ZEPHO_MACHINE_FLAGS} -nostdlib -s -Wl,--entry,_noopStart -Wl,--subsystem,console:4.0)
