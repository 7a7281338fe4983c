# Writes the bash completion of orn20mb-cli from its template with the register
# names that the generator program prints.
# cmake -DNAMES_PROGRAM=path -DIN=template -DOUT=file -P make_completion.cmake
execute_process(COMMAND "${NAMES_PROGRAM}" OUTPUT_VARIABLE names RESULT_VARIABLE rc)
string(STRIP "${names}" names)
if(NOT rc EQUAL 0 OR names STREQUAL "")
  message(FATAL_ERROR "${NAMES_PROGRAM} printed no register names (${rc})")
endif()
string(REPLACE "\n" " " ORN_CONFIG_NAMES "${names}")
configure_file("${IN}" "${OUT}" @ONLY)
