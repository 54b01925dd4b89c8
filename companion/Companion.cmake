# The companion app: detects the Android tool chain (Debian packages listed
# in scripts/setup.sh). Included before the simulated phone so that the real
# program folder gets the real package when it can be built.
#
#   TARVELL_COMPANION       ON when tarvell.apk is built from companion/
#   TARVELL_COMPANION_APK   the built package (build/companion/tarvell.apk)
find_program(TARVELL_SMALI smali)
find_program(TARVELL_BAKSMALI baksmali)
find_program(TARVELL_AAPT aapt)
find_program(TARVELL_ZIPALIGN zipalign)
find_program(TARVELL_APKSIGNER apksigner)
find_program(TARVELL_KEYTOOL keytool)
find_program(TARVELL_JAVA java)
find_program(TARVELL_JAVAC javac)
find_program(TARVELL_ENJARIFY enjarify)
set(_companion_default ON)
foreach(_tool SMALI BAKSMALI AAPT ZIPALIGN APKSIGNER KEYTOOL JAVA JAVAC ENJARIFY)
  if(NOT TARVELL_${_tool})
    set(_companion_default OFF)
  endif()
endforeach()
if(NOT EXISTS /usr/share/android-framework-res/framework-res.apk)
  set(_companion_default OFF)
endif()
option(TARVELL_COMPANION "Build the companion app tarvell.apk" ${_companion_default})
if(TARVELL_COMPANION AND NOT _companion_default)
  message(FATAL_ERROR "TARVELL_COMPANION needs smali, aapt, zipalign, apksigner, keytool, java, javac, "
                      "enjarify and android-framework-res: run scripts/setup.sh")
endif()
if(NOT TARVELL_COMPANION)
  message(WARNING "The Android tools are missing: tarvell.apk is not built and the program folder "
                  "gets no companion package (run scripts/setup.sh)")
endif()
set(TARVELL_COMPANION_APK ${CMAKE_BINARY_DIR}/companion/tarvell.apk)
