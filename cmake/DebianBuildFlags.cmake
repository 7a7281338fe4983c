# Debian's build flags from dpkg-buildflags, every hardening feature on
# (fortified libc calls, stack protector, full RELRO with immediate binding),
# for the optimised builds: what the package ships is built as Debian builds
# its own. Debug, sanitizer and fuzz builds keep their flags (fortification
# needs optimisation).
option(ORN_DEB_BUILDFLAGS "Compile and link optimised builds with dpkg-buildflags' flags" ON)
find_program(ORN_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT ORN_DEB_BUILDFLAGS OR ORN_SANITIZE OR ORN_FUZZ)
  return()
endif()
if(NOT ORN_DPKG_BUILDFLAGS)
  message(WARNING "dpkg-buildflags not found: the programs are built without Debian's hardening flags")
  return()
endif()
set(optimised "$<NOT:$<CONFIG:Debug>>")
foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
  # Run in the source folder: its -ffile-prefix-map writes source paths relative to it.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${ORN_DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  set(ORN_DEB_${kind} ${flags})
endforeach()
foreach(flag ${ORN_DEB_CPPFLAGS})
  add_compile_options("$<${optimised}:${flag}>")
endforeach()
foreach(lang C CXX)
  foreach(flag ${ORN_DEB_${lang}FLAGS})
    add_compile_options("$<$<AND:${optimised},$<COMPILE_LANGUAGE:${lang}>>:${flag}>")
  endforeach()
endforeach()
foreach(flag ${ORN_DEB_LDFLAGS})
  add_link_options("$<${optimised}:${flag}>")
endforeach()
list(JOIN ORN_DEB_CPPFLAGS " " shown)
foreach(kind CXXFLAGS LDFLAGS)
  list(JOIN ORN_DEB_${kind} " " flags)
  string(APPEND shown " " ${flags})
endforeach()
message(STATUS "Optimised builds use dpkg-buildflags: ${shown}")
