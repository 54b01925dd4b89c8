# The simulated phone's build outputs and the helper that lays out a program
# folder for a test or the demo. Included from the top-level CMakeLists so
# that every module can call it, whatever the order of add_subdirectory.
#
#   PHONESIM_OUTPUT_DIR   build/phonesim: the phonesim command and the stand-in adb
#   PHONESIM_APK          the companion package stand-in "tarvell.apk"
#   PHONESIM_EXE          $<TARGET_FILE:phonesim>
#   PHONESIM_ADB          $<TARGET_FILE:phonesim_adb>
#
# phonesim_lay_out_program_folder(<target>)
#   After <target> is built, puts the stand-in adb and tarvell.apk beside it.
#   <target> must have its own output directory, never build/bin: an adb
#   stand-in there would hide a real phone from the real programs.
# phonesim_program_folder(<name> <dir>)
#   A custom target <name> that fills <dir> with the stand-in adb and
#   tarvell.apk (for the demo's program folder).

set(PHONESIM_OUTPUT_DIR ${CMAKE_BINARY_DIR}/phonesim)
set(PHONESIM_APK ${PHONESIM_OUTPUT_DIR}/tarvell.apk)
set(PHONESIM_EXE $<TARGET_FILE:phonesim>)
set(PHONESIM_ADB $<TARGET_FILE:phonesim_adb>)

set(_phonesim_apk_text "PHONESIM-PACKAGE 1\npackage=com.velmora.tarvell\nlabel=Tarvell\nversion=3.0.0\nversion_code=300\n")
file(WRITE ${PHONESIM_APK} "${_phonesim_apk_text}")
# The real program folder gets the companion built from companion/ (never
# the stand-in adb); without the Android tools it gets no package at all, so
# that a real phone's preparation fails plainly rather than on a stand-in.
if(NOT TARVELL_COMPANION AND EXISTS ${CMAKE_BINARY_DIR}/bin/tarvell.apk)
  file(READ ${CMAKE_BINARY_DIR}/bin/tarvell.apk _phonesim_old_apk LIMIT 18)
  if(_phonesim_old_apk STREQUAL "PHONESIM-PACKAGE 1")
    file(REMOVE ${CMAKE_BINARY_DIR}/bin/tarvell.apk)
  endif()
endif()

function(phonesim_lay_out_program_folder target)
  get_target_property(_dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT _dir OR _dir STREQUAL "${CMAKE_BINARY_DIR}/bin")
    message(FATAL_ERROR "phonesim_lay_out_program_folder(${target}): give ${target} its own "
                        "RUNTIME_OUTPUT_DIRECTORY; build/bin is the real program folder")
  endif()
  # A target of its own rather than a step after linking <target>: a rebuilt
  # stand-in adb must reach the folder even when <target> itself is up to date.
  phonesim_program_folder(${target}_phone_folder ${_dir})
  add_dependencies(${target} ${target}_phone_folder)
endfunction()

function(phonesim_program_folder name dir)
  if(dir STREQUAL "${CMAKE_BINARY_DIR}/bin")
    message(FATAL_ERROR "phonesim_program_folder(${name}): build/bin is the real program folder")
  endif()
  add_custom_target(${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:phonesim_adb> ${dir}/adb
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PHONESIM_APK} ${dir}/tarvell.apk
    DEPENDS phonesim_adb
    VERBATIM)
endfunction()
