# orn_add_test(NAME LABEL <unit|pty|peer|ui> SOURCES ... LIBS ...)
# One GoogleTest executable registered with ctest under the given label.
find_package(GTest REQUIRED)
function(orn_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} orn_test_support GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# orn_add_test_dir(LIBS ...): one test executable per *_test.cpp in the calling
# folder. A file named *_pty_test.cpp is labelled pty, *_peer_test.cpp peer,
# *_ui_test.cpp ui, every other one unit.
function(orn_add_test_dir)
  cmake_parse_arguments(D "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    set(label unit)
    if(name MATCHES "_pty_test$")
      set(label pty)
    elseif(name MATCHES "_peer_test$")
      set(label peer)
    elseif(name MATCHES "_ui_test$")
      set(label ui)
    endif()
    orn_add_test(${name} LABEL ${label} SOURCES ${src} LIBS ${D_LIBS})
  endforeach()
endfunction()
