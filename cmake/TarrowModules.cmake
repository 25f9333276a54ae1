# Helpers that keep each module's CMakeLists short, and the layering check.
#
# tarrow_add_module(NAME <name> [DIR <dir>] [DEPS <targets>...] [EXCLUDE <subdirs>...])
#   A static library tarrow_<name> from every .cpp below DIR (default: this folder).
#   Sub-folders named in EXCLUDE belong to other targets. Headers are included as
#   "<module>/<Header>.h" from the src/ root.
#
#   DEPS is the one place a module declares what it builds on: other modules and the
#   libraries it uses itself (tinyxml2, libevent, ...). Further target_link_libraries calls
#   on the module's target count as declarations too. The layering check (below) fails
#   the build when a file of the module includes a header of a module, or of a library,
#   that the module does not link directly.
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
  tarrow_check_layering(tarrow_${M_NAME} DIR ${M_DIR})
endfunction()

# tarrow_check_layering(<target> DIR <dir> [INCLUDE_ROOT <dir>])
#   Puts a module built without tarrow_add_module (the data server) under the layering
#   check. Its files are those below DIR that no module with a deeper DIR claims; quoted
#   includes resolve beside the including file, then under INCLUDE_ROOT (default src/).
#
# Like a library layering check, the rules are: the modules form a graph without cycles
# (checked when CMake configures), and every "#include" in a module's files names a
# header of the module itself or of a module it links directly; a <header> of a known
# third-party library needs that library among the module's direct links. The check runs
# as part of the build, before the module compiles, and again whenever one of its files
# changes.
function(tarrow_check_layering target)
  cmake_parse_arguments(L "" "DIR;INCLUDE_ROOT" "" ${ARGN})
  if(NOT L_INCLUDE_ROOT)
    set(L_INCLUDE_ROOT ${PROJECT_SOURCE_DIR}/src)
  endif()
  set_property(GLOBAL APPEND PROPERTY TARROW_LAYERED_MODULES ${target})
  set_property(GLOBAL PROPERTY TARROW_LAYER_DIR_${target} ${L_DIR})
  set_property(GLOBAL APPEND PROPERTY TARROW_LAYER_ROOTS ${L_INCLUDE_ROOT})
endfunction()

# Third-party headers the check knows: "<header regex> => <link target regex>".
set(TARROW_EXTERNAL_HEADERS
  "^tinyxml2[.]h$ => TINYXML2"
  "^event2/ => LIBEVENT"
  "^nlohmann/ => nlohmann_json"
  "^zlib[.]h$ => ZLIB"
  "^(stb/)?stb_[a-z_]+[.]h$ => STB"
  "^(lunar-date/|glib) => LUNARDATE"
  "^(Q[A-Za-z]*|Qt[A-Za-z]*/.*)$ => ^Qt6::"
  CACHE INTERNAL "")

function(_tarrow_layering_finish)
  get_property(modules GLOBAL PROPERTY TARROW_LAYERED_MODULES)
  get_property(roots GLOBAL PROPERTY TARROW_LAYER_ROOTS)
  list(REMOVE_DUPLICATES roots)
  set(all_dirs "")
  foreach(m IN LISTS modules)
    get_property(dir GLOBAL PROPERTY TARROW_LAYER_DIR_${m})
    list(APPEND all_dirs "${m}=${dir}")
  endforeach()

  # Direct module edges, and the cycle check: a depth-first walk over the graph.
  foreach(m IN LISTS modules)
    get_target_property(links ${m} LINK_LIBRARIES)
    if(NOT links)
      set(links "")
    endif()
    set(deps_${m} "")
    set(ext_${m} "")
    foreach(l IN LISTS links)
      if(l IN_LIST modules)
        list(APPEND deps_${m} ${l})
      else()
        list(APPEND ext_${m} ${l})
      endif()
    endforeach()
  endforeach()
  foreach(m IN LISTS modules)
    set(stack ${m})
    set(paths ${m})
    set(seen "")
    while(stack)
      list(POP_BACK stack node)
      list(POP_BACK paths path)
      foreach(d IN LISTS deps_${node})
        if(d STREQUAL m)
          message(FATAL_ERROR "layering: modules depend on each other in a cycle: ${path}->${m}")
        endif()
        if(NOT d IN_LIST seen)
          list(APPEND seen ${d})
          list(APPEND stack ${d})
          list(APPEND paths "${path}->${d}")
        endif()
      endforeach()
    endwhile()
  endforeach()

  set(script ${PROJECT_SOURCE_DIR}/cmake/CheckLayering.cmake)
  foreach(m IN LISTS modules)
    get_property(dir GLOBAL PROPERTY TARROW_LAYER_DIR_${m})
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${dir}/*.h ${dir}/*.hpp ${dir}/*.cpp)
    set(manifest ${PROJECT_BINARY_DIR}/layering/${m}.cmake)
    set(stamp ${PROJECT_BINARY_DIR}/layering/${m}.stamp)
    file(CONFIGURE OUTPUT ${manifest} CONTENT "\
set(MODULE \"${m}\")
set(MODULE_DIRS \"${all_dirs}\")
set(INCLUDE_ROOTS \"${roots}\")
set(DEPS \"${deps_${m}}\")
set(EXTERNAL \"${ext_${m}}\")
set(EXTERNAL_HEADERS \"${TARROW_EXTERNAL_HEADERS}\")
" @ONLY)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest} -DSTAMP=${stamp} -P ${script}
      DEPENDS ${files} ${manifest} ${script}
      COMMENT "Checking the layering of ${m}"
      VERBATIM)
    add_custom_target(${m}_layering DEPENDS ${stamp})
    add_dependencies(${m} ${m}_layering)
  endforeach()
endfunction()

get_property(_tarrow_layering_deferred GLOBAL PROPERTY TARROW_LAYERING_DEFERRED)
if(NOT _tarrow_layering_deferred)
  set_property(GLOBAL PROPERTY TARROW_LAYERING_DEFERRED ON)
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _tarrow_layering_finish)
endif()

# tarrow_add_tests(LABEL <module> [DEPS <targets>...] [ENV <VAR=value>...] [TIMEOUT <s>])
#   One GoogleTest executable test_<label> from every .cpp in this folder, each test
#   registered with CTest under the module's label and with a timeout (default 60 s), so
#   that a hang fails its test instead of holding up the run. Parametrised tests are
#   registered under the names their name generator gives (common/CaseName.h), not their
#   parameters' bytes.
#
#   Time zone and platform: every test runs with TZ=Europe/London and
#   QT_QPA_PLATFORM=offscreen. Market time is China Standard Time, whatever the machine's
#   zone, so the suites run under another zone on purpose; nothing needs a display.
function(tarrow_add_tests)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "DEPS;ENV" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  # Instrumented builds run several times slower, more so on a small machine; the limit is
  # there to stop a hang, not to measure.
  if(TARROW_SANITIZE OR TARROW_TSAN)
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 5")
  endif()
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
    NO_PRETTY_VALUES
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
endfunction()
