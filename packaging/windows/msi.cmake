# Builds the Windows installer from BelvaMG.wxs with wixl (msitools):
#
#   cmake -DVERSION=1.0.0 -DFILES=<folder> -DICON=<BelvaMG.ico> \
#         -DOUTPUT=<BelvaMG-1.0.0-windows-x64.msi> -P packaging/windows/msi.cmake
#
# FILES holds the four installed files: BelvaMG.exe, belvamg-score.exe,
# BelvaMG.chm and LISEZMOI.txt. The output is written whole or not at all.
#
# The ProductCode is a name-based (SHA-1) UUID of the version under the
# installer's fixed UpgradeCode: rebuilding a version gives it the same code,
# another version gets another one, which Windows Installer needs to replace
# an earlier version by a later one.
cmake_minimum_required(VERSION 3.25)

foreach(var VERSION FILES ICON OUTPUT)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "msi.cmake: -D${var}=... is missing")
  endif()
endforeach()

# Windows Installer compares major.minor.build, at most 255.255.65535.
if(NOT VERSION MATCHES "^(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)$"
   OR CMAKE_MATCH_1 GREATER 255 OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 65535)
  message(FATAL_ERROR "msi.cmake: '${VERSION}' is no installer version (major.minor.patch, "
                      "at most 255.255.65535)")
endif()

get_filename_component(FILES "${FILES}" ABSOLUTE)
get_filename_component(ICON "${ICON}" ABSOLUTE)
get_filename_component(OUTPUT "${OUTPUT}" ABSOLUTE)
foreach(file BelvaMG.exe belvamg-score.exe BelvaMG.chm LISEZMOI.txt)
  if(NOT EXISTS "${FILES}/${file}")
    message(FATAL_ERROR "msi.cmake: ${FILES}/${file} is missing")
  endif()
endforeach()
if(NOT EXISTS "${ICON}")
  message(FATAL_ERROR "msi.cmake: ${ICON} is missing")
endif()

set(wxs "${CMAKE_CURRENT_LIST_DIR}/BelvaMG.wxs")
file(STRINGS "${wxs}" upgrade_line REGEX "UpgradeCode=\"[0-9A-F-]+\"")
if(NOT upgrade_line MATCHES "UpgradeCode=\"([0-9A-F-]+)\"")
  message(FATAL_ERROR "msi.cmake: no UpgradeCode in ${wxs}")
endif()
set(upgrade_code "${CMAKE_MATCH_1}")
string(UUID product_code NAMESPACE "${upgrade_code}" NAME "BELVA MG ${VERSION} x64" TYPE SHA1 UPPER)

find_program(WIXL wixl)
find_program(MSIBUILD msibuild)
find_program(MSIINFO msiinfo)
if(NOT WIXL OR NOT MSIBUILD OR NOT MSIINFO)
  message(FATAL_ERROR "msi.cmake: wixl, msibuild or msiinfo is missing (Debian packages wixl, msitools)")
endif()

# wixl finds files relative to its working folder only.
file(RELATIVE_PATH icon "${FILES}" "${ICON}")
set(partial "${OUTPUT}.partial")
file(REMOVE "${partial}")
execute_process(
  COMMAND "${WIXL}" --arch x64 -D "Version=${VERSION}" -D "ProductCode=${product_code}"
          -D "Icon=${icon}" -o "${partial}" "${wxs}"
  WORKING_DIRECTORY "${FILES}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT EXISTS "${partial}")
  file(REMOVE "${partial}")
  message(FATAL_ERROR "msi.cmake: wixl failed (${status}):\n${out}")
endif()

# What wixl has no element for: the program's debug log and the marker file
# that turns it on, both beside the program, removed with it.
set(remove_files "")
foreach(row "DebugLog;HHDebug.txt" "DebugMarker;debug.debug")
  list(GET row 0 key)
  list(GET row 1 name)
  string(APPEND remove_files "INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, "
         "`InstallMode`) VALUES ('${key}', 'Program', '${name}', 'INSTALLDIR', 2)\n")
endforeach()
execute_process(
  COMMAND "${MSIBUILD}" "${partial}" -q "${remove_files}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "msi.cmake: msibuild failed (${status}):\n${out}")
endif()

# wixl writes the summary's texts as UTF-8 under the package's code page,
# Windows-1252, where Windows would read "Ã‰quipe": the author (the
# publisher) is written again in Windows-1252, the rest kept.
execute_process(COMMAND "${MSIINFO}" suminfo "${partial}" OUTPUT_VARIABLE summary RESULT_VARIABLE status)
set(found 0)
foreach(field Subject Author Template Revision)
  if(status EQUAL 0 AND summary MATCHES "(^|\n)${field}( number \\(UUID\\))?: ([^\n]*)")
    set(summary_${field} "${CMAKE_MATCH_3}")
    math(EXPR found "${found} + 1")
  endif()
endforeach()
if(found EQUAL 4)
  file(WRITE "${partial}.author" "${summary_Author}")
  execute_process(COMMAND iconv -f UTF-8 -t CP1252 INPUT_FILE "${partial}.author"
                  OUTPUT_VARIABLE summary_Author RESULT_VARIABLE status)
  file(REMOVE "${partial}.author")
endif()
if(NOT found EQUAL 4 OR NOT status EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "msi.cmake: the package's summary cannot be read:\n${summary}")
endif()
execute_process(
  COMMAND "${MSIBUILD}" "${partial}" -s "${summary_Subject}" "${summary_Author}"
          "${summary_Template}" "${summary_Revision}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "msi.cmake: msibuild -s failed (${status}):\n${out}")
endif()

file(RENAME "${partial}" "${OUTPUT}")
message(STATUS "ProductCode {${product_code}} for version ${VERSION}")
