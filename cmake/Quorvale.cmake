# Helpers shared by every folder's CMakeLists.txt.

set(QUORVALE_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

# quorvale_test(NAME <name> SOURCES <files...> [LIBS <targets...>]
#               [LABELS unit|audio|display|net ...] [TIMEOUT <s>] [TSAN])
#
# One GoogleTest executable run by CTest inside scripts/with-fresh-home, so
# every test sees a fresh HOME and XDG folders. Tests labelled `audio` share
# the one PulseAudio daemon and tests labelled `display` the one X server:
# each label is a resource lock, so such tests never play into or click on
# each other. TSAN builds the test (and the sources listed in it) with
# ThreadSanitizer.
function(quorvale_test)
  cmake_parse_arguments(T "TSAN" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  if(T_TSAN)
    target_compile_options(${T_NAME} PRIVATE -fsanitize=thread -g -O1)
    target_link_options(${T_NAME} PRIVATE -fsanitize=thread)
  endif()
  add_test(NAME ${T_NAME}
           COMMAND ${QUORVALE_ROOT}/scripts/with-fresh-home $<TARGET_FILE:${T_NAME}>)
  set(locks "")
  foreach(label ${T_LABELS})
    if(label STREQUAL "audio")
      list(APPEND locks pulseaudio)
    elseif(label STREQUAL "display")
      list(APPEND locks xdisplay)
    endif()
  endforeach()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
  if(locks)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${locks}")
  endif()
  if(T_TSAN)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1")
  endif()
endfunction()
