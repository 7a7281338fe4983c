# Writes a short man page from a program's --help text.
# cmake -DPROGRAM=path -DNAME=name -DSUMMARY=text -DVERSION=x.y.z -DOUT=file -P help_to_man.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc ERROR_QUIET)
if(NOT rc EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${rc})")
endif()
string(REPLACE "${PROGRAM}" "${NAME}" help "${help}")
# roff: a backslash is written \e; a line may not start with a control character.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${NAME}" title)
file(WRITE "${OUT}" ".TH ${title} 1 \"\" \"${NAME} ${VERSION}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH DESCRIPTION
.nf
${help}
.fi
.SH FILES
dev.dat, to.dat and the logs are read and written in the current directory.
")
