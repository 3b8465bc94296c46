# Runs quillo-sim on a script and compares what it prints with the expected output, line ends
# aside: the native program and the Windows one under Wine must print the same.
#   cmake -DEMULATOR=... -DEXE=... -DSCRIPT=... -DEXPECTED=... -P CompareOutput.cmake
# A script whose first line is "# options: ..." runs with those options too (an Outlook version).
file(STRINGS ${SCRIPT} vecFirst LIMIT_COUNT 1)
set(vecOptions "")
if(vecFirst MATCHES "^# options: (.*)$")
  separate_arguments(vecOptions UNIX_COMMAND "${CMAKE_MATCH_1}")
endif()
# On Windows the settings live in the registry, which outlives a run: each script starts from none,
# as a run with an in-memory registry does natively.
if(EMULATOR)
  execute_process(COMMAND ${EMULATOR} reg delete "HKCU\\Software\\Mardel\\Quillo" /f OUTPUT_QUIET ERROR_QUIET)
endif()
execute_process(COMMAND ${EMULATOR} ${EXE} --registry :memory: ${vecOptions} --script ${SCRIPT}
                OUTPUT_VARIABLE sOut ERROR_VARIABLE sErr RESULT_VARIABLE nExit)
if(NOT nExit EQUAL 0)
  message(FATAL_ERROR "quillo-sim exited with ${nExit}:\n${sErr}")
endif()
string(REPLACE "\r\n" "\n" sOut "${sOut}")
file(READ ${EXPECTED} sExpected)
string(REPLACE "\r\n" "\n" sExpected "${sExpected}")
if(NOT sOut STREQUAL sExpected)
  get_filename_component(sName ${SCRIPT} NAME_WE)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${sName}.actual "${sOut}")
  message(FATAL_ERROR "quillo-sim printed something else than ${EXPECTED}; see "
                      "${CMAKE_CURRENT_BINARY_DIR}/${sName}.actual (diff them; regenerate the expected file "
                      "when the change is intended)")
endif()
