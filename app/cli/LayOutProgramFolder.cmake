# Fills a program folder for tarvell-cli (cmake -P). Variables: DEST, CLI, LIB,
# LIB_SONAME, TEMPLATE, DEFIMAGE, and optionally ADB and APK (simulated phone).
# TEMPLATE is the viewer as laid out in build/bin (target viewer_template) and
# DEFIMAGE is drawn by tarvell_assets; both are built first. A file that does
# not exist is left out, and the engine goes without it as it would on a
# user's machine.
file(MAKE_DIRECTORY "${DEST}")
foreach(_file CLI LIB LIB_SONAME DEFIMAGE APK)
  if(DEFINED ${_file} AND EXISTS "${${_file}}")
    file(COPY "${${_file}}" DESTINATION "${DEST}")
  endif()
endforeach()
if(DEFINED ADB AND EXISTS "${ADB}")
  file(COPY_FILE "${ADB}" "${DEST}/adb" ONLY_IF_DIFFERENT)
  file(CHMOD "${DEST}/adb" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()
if(EXISTS "${TEMPLATE}")
  file(COPY "${TEMPLATE}" DESTINATION "${DEST}")
endif()
