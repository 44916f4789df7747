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
  # Only display tests see the X server: anything else that opened a window
  # or searched the server's windows would meet the display tests' windows.
  if(NOT "display" IN_LIST T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
  endif()
  if(T_TSAN)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1")
  endif()
endfunction()

# quorvale_library(NAME <target> DIR <folder> [DEPS <targets...>])
#
# A static library of every .cpp below <folder>/src, with <folder>/include as
# its public include folder. A folder without sources yet gives an
# interface library, so that targets depending on it always configure.
function(quorvale_library)
  cmake_parse_arguments(L "" "NAME;DIR" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${L_DIR}/src/*.cpp ${L_DIR}/src/*.c)
  if(srcs)
    add_library(${L_NAME} STATIC ${srcs})
    target_include_directories(${L_NAME} PUBLIC ${L_DIR}/include PRIVATE ${L_DIR}/src)
    target_link_libraries(${L_NAME} PUBLIC ${L_DEPS} Threads::Threads)
  else()
    add_library(${L_NAME} INTERFACE)
    target_include_directories(${L_NAME} INTERFACE ${L_DIR}/include)
    target_link_libraries(${L_NAME} INTERFACE ${L_DEPS} Threads::Threads)
  endif()
endfunction()

# quorvale_test_dir(LIBS <targets...>)
#
# One test per <name>_test.cpp in the calling folder. The file name gives
# the label: *_audio_test.cpp needs PulseAudio, *_display_test.cpp an X
# display, *_net_test.cpp a local server, *_app_test.cpp (the program
# itself, sound and windows) both PulseAudio and the display, anything else
# is `unit`; *_display_net_test.cpp needs both the display and a local server.
# *_tsan_test.cpp is built with ThreadSanitizer, together with the sources
# of the first library in LIBS so that their races are seen too; it may carry
# a label before the suffix (*_audio_tsan_test.cpp, *_display_tsan_test.cpp).
# TSAN_LIBS names the libraries to build into it instead, where the races
# worth seeing span a library and what it builds on.
# Files named *_helper.cpp are compiled into every test of the folder.
function(quorvale_test_dir)
  cmake_parse_arguments(D "" "PREFIX" "LIBS;TSAN_LIBS" ${ARGN})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  if(NOT D_PREFIX)
    string(REPLACE "-" "_" D_PREFIX ${folder})
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_helper.cpp)
  foreach(test ${tests})
    get_filename_component(stem ${test} NAME_WE)
    set(label unit)
    set(tsan "")
    set(extra "")
    if(stem MATCHES "_tsan_test$")
      set(tsan TSAN)
    endif()
    if(stem MATCHES "_app_test$")
      set(label display audio)
    elseif(stem MATCHES "_display_net_test$")
      set(label display net)
    elseif(stem MATCHES "_audio(_tsan)?_test$")
      set(label audio)
    elseif(stem MATCHES "_display(_tsan)?_test$")
      set(label display)
    elseif(stem MATCHES "_net(_tsan)?_test$")
      set(label net)
    endif()
    set(instrumented "")
    if(tsan)
      set(instrumented ${D_TSAN_LIBS})
      if(NOT instrumented)
        list(GET D_LIBS 0 instrumented)
      endif()
      foreach(lib ${instrumented})
        get_target_property(lib_srcs ${lib} SOURCES)
        get_target_property(src_dir ${lib} SOURCE_DIR)
        list(TRANSFORM lib_srcs PREPEND ${src_dir}/ REGEX "^[^/]")
        list(APPEND extra ${lib_srcs})
      endforeach()
    endif()
    quorvale_test(NAME ${D_PREFIX}_${stem} SOURCES ${test} ${helpers} ${extra}
                  LIBS ${D_LIBS} LABELS ${label} ${tsan})
    if(tsan AND D_TSAN_LIBS)
      # The libraries are still linked for what they build on, and an archive
      # member pulled in for a shared template brings its code a second
      # time: the instrumented copies come first on the link line and win.
      target_link_options(${D_PREFIX}_${stem} PRIVATE -Wl,--allow-multiple-definition)
    endif()
    foreach(lib ${instrumented})
      get_target_property(incs ${lib} INCLUDE_DIRECTORIES)
      target_include_directories(${D_PREFIX}_${stem} PRIVATE ${incs})
    endforeach()
  endforeach()
endfunction()
