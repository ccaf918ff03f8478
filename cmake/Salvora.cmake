# Shared settings of the product, the stand-ins and the tests.

if(SALVORA_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# GoogleTest from the distribution's source, built with the project's own compiler.
function(salvora_use_gtest)
  if(NOT TARGET gtest)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # GoogleTest's own sources are not ours to keep warning-free.
    foreach(t gtest gtest_main)
      target_compile_options(${t} PRIVATE -w)
    endforeach()
  endif()
endfunction()

# A Windows program or DLL built like the product: Windows 95 header values
# (without _WIN32_WINNT the headers take Windows 10's; with it NTDDI_VERSION
# follows, 0x04000000), no exceptions or RTTI (nothing may unwind through a
# window procedure or a COM method), and the C++ library linked in. A few
# values these headers give whatever the version (QS_ALLINPUT, the tip of
# NOTIFYICONDATAA) the code that uses them sets right and checks.
function(salvora_win95_target target)
  target_compile_definitions(${target} PRIVATE
    WINVER=0x0400 _WIN32_WINDOWS=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0300 STRICT NOMINMAX)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY")
    # new and delete of our own: the library's bring the exception machinery.
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/runtime/allocation.cpp)
  endif()
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # The Windows 95 modules are built for size: nothing throws, so no unwind
    # tables (32-bit Windows finds its handlers without them; 64-bit Windows
    # needs them to walk any stack, so the wine64 build keeps them); every
    # function and datum in a section of its own, so that the linker drops
    # what is unused; symbols stripped at link. Function-local statics get no
    # lock (its semaphore is a call Windows 95 lacks): give them constant
    # initialisers, or first use them on one thread.
    #
    # The code is for the 386, the least that Windows 95 runs on (a 386DX,
    # with or without a 387, whose instructions Windows 95 emulates): the
    # compiler's default, the Pentium Pro, would stop the applet and bring
    # down the shell on the 486 and Pentium machines most of its users had,
    # and the 486 would still leave out the 386s it was installed on. Tuned
    # for the Pentium, the commonest of them. On a 386 an atomic operation whose
    # old value is read (not only whether it reached zero) needs the 486's
    # xadd or cmpxchg: the compiler calls a helper that nothing provides, so
    # such code does not link; increments, decrements and exchanges are
    # single 386 instructions. tests/pe audits what comes out.
    target_compile_options(${target} PRIVATE
      -march=i386 -mtune=pentium
      -Os -ffunction-sections -fdata-sections
      -fno-asynchronous-unwind-tables -fno-unwind-tables
      $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)
    target_link_options(${target} PRIVATE -s -Wl,--gc-sections
      -Wl,--major-subsystem-version,4,--minor-subsystem-version,0
      -Wl,--major-os-version,4,--minor-os-version,0)
  endif()
endfunction()

# A deliverable, slvrtray.exe or slvrsext.dll: built like the product, and
# linked with no C library at all, since the C library's DLL is not on every
# Windows 95. runtime/ stands in for what the C library did (the entry
# function, static objects, heap, strings); libgcc, which the standard
# libraries end with, brings the compiler's helpers (64-bit division on
# i686, stack probes) and imports nothing; its 64-bit divisions, built for
# newer processors than the deliverables, are runtime/'s instead.
function(salvora_deliverable target)
  salvora_win95_target(${target})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/runtime/winstart.cpp)
  else()
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/runtime/dllstart.cpp)
  endif()
  target_link_libraries(${target} PRIVATE salvora_runtime)
  target_link_options(${target} PRIVATE -nostdlib)
endfunction()
if(WIN32)
  string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " -lgcc")
endif()

# A GoogleTest program that runs under wine64 (win64 build only).
function(salvora_wine_test target)
  salvora_use_gtest()
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE gtest gtest_main)
  target_link_options(${target} PRIVATE -static)
  include(GoogleTest)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 120)
endfunction()

# A native GoogleTest program.
function(salvora_unit_test target)
  salvora_use_gtest()
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE gtest gtest_main)
  include(GoogleTest)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST)
endfunction()
