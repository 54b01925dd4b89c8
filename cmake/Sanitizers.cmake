# Sanitizer and fuzzing builds.
#
# TARVELL_SANITIZE selects a sanitizer for the whole build (every target,
# compile and link):
#   ""        none (the default)
#   "address" AddressSanitizer + UndefinedBehaviorSanitizer; any undefined
#             behaviour ends the program (no recovery)
#   "thread"  ThreadSanitizer
# Both gcc and clang accept these flags; scripts/sanitize.sh uses clang.
#
# TARVELL_FUZZ=ON builds the libFuzzer targets under fuzz/ (clang only), each
# instrumented with -fsanitize=fuzzer,address,undefined. Without it every
# target's seed corpus is still replayed by a plain driver as a CTest test.
set(TARVELL_SANITIZE "" CACHE STRING "Sanitizer for the whole build: empty, address or thread")
set_property(CACHE TARVELL_SANITIZE PROPERTY STRINGS "" address thread)
option(TARVELL_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(TARVELL_SANITIZE STREQUAL "address")
  set(_tarvell_san_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined
                         -fno-omit-frame-pointer)
elseif(TARVELL_SANITIZE STREQUAL "thread")
  set(_tarvell_san_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT TARVELL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TARVELL_SANITIZE must be empty, address or thread (got '${TARVELL_SANITIZE}')")
endif()

if(_tarvell_san_flags)
  add_compile_options(${_tarvell_san_flags})
  add_link_options(${_tarvell_san_flags})
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND TARVELL_SANITIZE STREQUAL "address")
    # clang links its sanitizer runtime statically into executables only, so
    # libtarvellkit.so (linked with --no-undefined) would miss its symbols.
    # With the shared runtime every executable and library links it (gcc does
    # this by default); the programs find it through their run path.
    add_link_options(-shared-libsan)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libclang_rt.asan-x86_64.so
                    OUTPUT_VARIABLE _tarvell_rt_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(_tarvell_rt_dir "${_tarvell_rt_path}" DIRECTORY)
    if(IS_DIRECTORY "${_tarvell_rt_dir}")
      add_link_options("-Wl,-rpath,${_tarvell_rt_dir}")
    endif()
  elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND TARVELL_SANITIZE STREQUAL "thread")
    # clang 14's shared TSan runtime crashes at start-up, so the runtime
    # stays static in each executable, which exports its symbols to the
    # libraries it loads. Shared libraries are therefore linked allowing
    # undefined symbols: -z undefs at the very end of the link line undoes
    # any --no-undefined given earlier.
    string(APPEND CMAKE_CXX_CREATE_SHARED_LIBRARY " -Wl,-z,undefs")
    string(APPEND CMAKE_C_CREATE_SHARED_LIBRARY " -Wl,-z,undefs")
  endif()
  # Frames stay readable in sanitizer reports without giving up all speed.
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    add_compile_options(-g)
  endif()
  message(STATUS "Sanitizer build: ${TARVELL_SANITIZE}")
endif()

if(TARVELL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TARVELL_FUZZ needs clang (configure with CC=clang CXX=clang++)")
  endif()
  if(TARVELL_SANITIZE STREQUAL "thread")
    message(FATAL_ERROR "TARVELL_FUZZ cannot be combined with TARVELL_SANITIZE=thread")
  endif()
  # Coverage instrumentation for all code the targets link; the fuzzer
  # runtime itself (its main) goes only into the fuzz executables.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
