# Builds the .deb with CPack from the build tree and runs lintian on it: any
# error or warning fails; the tags that remain are printed.
# cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake -DLINTIAN=... -DOUT_DIR=... -P check_lintian.cmake
file(REMOVE_RECURSE "${OUT_DIR}")
execute_process(COMMAND "${CPACK}" --config "${CONFIG}" -G DEB -B "${OUT_DIR}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${out}\n${err}")
endif()
file(GLOB debs "${OUT_DIR}/orn20mb_*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one orn20mb_*.deb in ${OUT_DIR}, found: ${debs}")
endif()
# The informational tags are shown too; only errors and warnings fail.
execute_process(COMMAND "${LINTIAN}" --fail-on error,warning --display-info ${debs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("lintian ${debs}:\n${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian found errors or warnings (exit ${rc})")
endif()
