# cmake -DCHECK=<CheckLayering.cmake> -DWORK=<scratch dir> -P CheckLayeringTest.cmake
# Runs the layering check on a two-module tree: "high" builds on "low"; low includes a
# header of high and a library it does not link. The check must pass high and fail low
# naming both includes.
cmake_minimum_required(VERSION 3.25)
get_filename_component(here "${CMAKE_CURRENT_LIST_FILE}" DIRECTORY)
set(src "${here}/src")
file(MAKE_DIRECTORY "${WORK}")

function(run module deps external out_result out_output)
  set(manifest "${WORK}/${module}.cmake")
  file(WRITE "${manifest}" "
set(MODULE ${module})
set(MODULE_DIRS \"low=${src}/low;high=${src}/high\")
set(INCLUDE_ROOTS \"${src}\")
set(DEPS \"${deps}\")
set(EXTERNAL \"${external}\")
set(EXTERNAL_HEADERS \"^tinyxml2[.]h$ => TINYXML2\")
")
  execute_process(COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest} -DSTAMP=${WORK}/${module}.stamp
    -P ${CHECK} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${out_result} "${result}" PARENT_SCOPE)
  set(${out_output} "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE "${WORK}/high.stamp" "${WORK}/low.stamp")
run(high "low" "" result output)
if(NOT result EQUAL 0 OR NOT EXISTS "${WORK}/high.stamp")
  message(FATAL_ERROR "high declares low and was refused:\n${output}")
endif()

run(low "" "" result output)
if(result EQUAL 0 OR EXISTS "${WORK}/low.stamp")
  message(FATAL_ERROR "low includes a header of high and passed:\n${output}")
endif()
foreach(expected IN ITEMS
    "Upward.h:4: error: layering: low includes \"high/High.h\" of high"
    "Xml.cpp:2: error: layering: low includes <tinyxml2.h>")
  string(FIND "${output}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${expected}\" in:\n${output}")
  endif()
endforeach()

# Linking the library makes its header fine; the upward include still fails alone.
run(low "" "PkgConfig::TINYXML2" result output)
string(FIND "${output}" "tinyxml2" at)
if(result EQUAL 0 OR NOT at EQUAL -1)
  message(FATAL_ERROR "with the library linked only the upward include may fail:\n${output}")
endif()
