# orvanta_folder(<name> [ENGINE_LIBS ...] [UI_LIBS ...])
#
# One folder of src/ gives two static libraries: orvanta_<name> from the
# folder's own *.cpp (QtCore and std only, no widgets) and orvanta_<name>_ui
# from its ui/*.cpp (windows and dialogs). A library without sources is not made.
# Headers are included as "<folder>/<file>.h" from src/.
function(orvanta_folder name)
  cmake_parse_arguments(ARG "" "" "ENGINE_LIBS;UI_LIBS" ${ARGN})
  file(GLOB engine_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB engine_headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB ui_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp)
  file(GLOB ui_headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
  if(engine_sources)
    add_library(orvanta_${name} STATIC ${engine_sources} ${engine_headers})
    target_include_directories(orvanta_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(orvanta_${name} PUBLIC Qt6::Core ${ARG_ENGINE_LIBS})
    target_compile_definitions(orvanta_${name} PUBLIC ORVANTA_VERSION="${PROJECT_VERSION}")
  endif()
  if(ui_sources)
    add_library(orvanta_${name}_ui STATIC ${ui_sources} ${ui_headers})
    target_include_directories(orvanta_${name}_ui PUBLIC ${CMAKE_SOURCE_DIR}/src)
    set(engine_lib)
    if(engine_sources)
      set(engine_lib orvanta_${name})
    endif()
    target_link_libraries(orvanta_${name}_ui PUBLIC ${engine_lib} Qt6::Widgets ${ARG_UI_LIBS})
  endif()
endfunction()

# orvanta_tests(<name> SOURCES ... LIBS ... [LABEL unit|ui|peer] [LAUNCHER script])
#
# One GoogleTest executable; every test case becomes a CTest test of its own
# (so ctest -j runs them in parallel), each in a fresh temporary program
# folder and registry (the shared test main makes them). A LAUNCHER script
# runs the test program (its arguments are the program and its own
# arguments), for tests that need something started around them.
function(orvanta_tests name)
  cmake_parse_arguments(ARG "" "LABEL;LAUNCHER;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE orvanta_testsupport ${ARG_LIBS})
  # A skipped test shows as skipped, not as passed (under CI=true the test
  # itself fails instead, see SKIP_MISSING in tests/support/TestEnv.h).
  # The environment goes through a launcher: a list-valued ENVIRONMENT does
  # not survive gtest_discover_tests' property passing. OpenMP and MagickCore
  # keep to one thread, or LeakSanitizer's tracer crashes at exit; it also
  # crashes on the dynamic TLS of a library loaded at run time (libjpeg under
  # MagickCore's JPEG coder) unless it leaves __tls_get_addr alone.
  set(launcher /usr/bin/env QT_QPA_PLATFORM=offscreen ORVANTA_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data
    MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1
    LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:intercept_tls_get_addr=0
    ${ARG_LAUNCHER})
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endfunction()
