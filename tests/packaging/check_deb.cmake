# Builds the .deb with CPack from the build tree, checks what it holds and
# what it depends on, then runs lintian on it: any error or warning fails.
# Prints the listing and the tags that remain.
# cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake -DLINTIAN=... -DOUT_DIR=... -P check_deb.cmake
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
execute_process(COMMAND dpkg-deb --contents ${debs} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dpkg-deb --contents failed")
endif()
message("${debs}\n${listing}")
set(missing)
foreach(path usr/bin/orn20mb usr/bin/orn20mb-cli usr/bin/orn20mb-sim
             usr/share/applications/orn20mb.desktop usr/share/icons/hicolor/scalable/apps/orn20mb.svg
             usr/share/man/man1/orn20mb.1.gz usr/share/man/man1/orn20mb-cli.1.gz usr/share/man/man1/orn20mb-sim.1.gz
             usr/share/doc/orn20mb/copyright usr/share/doc/orn20mb/changelog.Debian.gz
             usr/share/lintian/overrides/orn20mb
             usr/share/bash-completion/completions/orn20mb-cli usr/share/bash-completion/completions/orn20mb-sim
             usr/share/bash-completion/completions/orn20mb)
  string(REGEX MATCH " \\./${path}\n" found "${listing}")
  if(NOT found)
    list(APPEND missing ${path})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "missing from the package: ${missing}")
endif()
string(REGEX MATCH "[^ \n]*(test|bench|libmodbus_slave|config_names)[^ \n]*\n" stray "${listing}")
if(stray)
  message(FATAL_ERROR "a test, benchmark or build-time program is in the package: ${stray}")
endif()
execute_process(COMMAND dpkg-deb --field ${debs} Depends OUTPUT_VARIABLE depends)
message("Depends: ${depends}")
# The platform plugins come with libqt6gui6; qt6-qpa-plugins holds only the VNC one.
foreach(dep libqt6widgets6 libqt6gui6 libqt6svg6 qt6-translations-l10n fonts-liberation2 libc6)
  string(FIND "${depends}" "${dep}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package does not depend on ${dep}")
  endif()
endforeach()
# The informational tags are shown too; only errors and warnings fail.
execute_process(COMMAND "${LINTIAN}" --fail-on error,warning --display-info ${debs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("lintian ${debs}:\n${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian found errors or warnings (exit ${rc})")
endif()
