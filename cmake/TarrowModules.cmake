# Helpers that keep each module's CMakeLists short.
#
# tarrow_add_module(NAME <name> [DIR <dir>] [DEPS <targets>...] [EXCLUDE <subdirs>...])
#   A static library tarrow_<name> from every .cpp below DIR (default: this folder).
#   Sub-folders named in EXCLUDE belong to other targets. Headers are included as
#   "<module>/<Header>.h" from the src/ root.
function(tarrow_add_module)
  cmake_parse_arguments(M "" "NAME;DIR" "DEPS;EXCLUDE" ${ARGN})
  if(NOT M_DIR)
    set(M_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${M_DIR}/*.cpp)
  foreach(ex IN LISTS M_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${M_DIR}/${ex}/")
  endforeach()
  add_library(tarrow_${M_NAME} STATIC ${sources})
  target_include_directories(tarrow_${M_NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tarrow_${M_NAME} PUBLIC ${M_DEPS})
endfunction()

# tarrow_add_tests(LABEL <module> [DEPS <targets>...] [ENV <VAR=value>...])
#   One GoogleTest executable test_<label> from every .cpp in this folder, each test
#   registered with CTest under the module's label. Market time is China Standard Time,
#   whatever the machine's zone, so the suites run under another zone on purpose.
function(tarrow_add_tests)
  cmake_parse_arguments(T "" "LABEL" "DEPS;ENV" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(target test_${T_LABEL})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${T_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  # Helpers every suite shares are included as "common/<Header>.h".
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${target} PRIVATE
    TARROW_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TARROW_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # The environment goes through a launcher: a list of variables does not survive
  # the test-property plumbing of gtest_discover_tests.
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
    "env;TZ=Europe/London;QT_QPA_PLATFORM=offscreen;${T_ENV}")
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${T_LABEL})
endfunction()
