# Checks every #include "..." under src/ against the floors of the layout:
#
#   0  support, resources   the ground: text, handles, windows, the string table's ids
#   1  types                plain values several folders share (Version, the runtime filter)
#   2  settings             reading the settings into those values
#   3  runtime, splash      finding a runtime; the splash screen (siblings)
#   4  jvmopts              the VM's option list and its output files
#   5  jvmhost              loading and running the VM
#   6  launcher             the launch itself
#
# A folder includes its own files and those of lower floors, never a higher floor
# nor a sibling on its own floor. A name without a folder ("jdk11_init_args.h")
# is the including folder's own. A folder that is not listed here is a failure
# too, so a new folder has to be given its floor.
#
#   cmake -DSOURCE_DIR=<repository>/src -P include_floors.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "Give the source folder: cmake -DSOURCE_DIR=<repository>/src -P include_floors.cmake")
endif()

set(floor_support 0)
set(floor_resources 0)
set(floor_types 1)
set(floor_settings 2)
set(floor_runtime 3)
set(floor_splash 3)
set(floor_jvmopts 4)
set(floor_jvmhost 5)
set(floor_launcher 6)

# The folder below src/ that holds a path relative to src/ (or to the folder itself).
function(jl_top_folder path out)
  string(FIND "${path}" "/" slash)
  if(slash EQUAL -1)
    set(${out} "" PARENT_SCOPE)
  else()
    string(SUBSTRING "${path}" 0 ${slash} top)
    set(${out} "${top}" PARENT_SCOPE)
  endif()
endfunction()

# Appends "<file>:<line>: <complaint>" to the named list for an include that breaks the floors.
function(jl_judge_include file line folder included list_name)
  jl_top_folder("${included}" target)
  if(target STREQUAL "" OR target STREQUAL folder)
    return()
  endif()
  set(where "src/${file}:${line}")
  if(NOT DEFINED floor_${target})
    set(complaint "${where}: ${folder} includes \"${included}\" from ${target}/, a folder with no floor")
  elseif(floor_${target} GREATER floor_${folder})
    set(complaint "${where}: ${folder} (floor ${floor_${folder}}) includes \"${included}\" from ${target} (floor ${floor_${target}}), a higher floor")
  elseif(floor_${target} EQUAL floor_${folder})
    set(complaint "${where}: ${folder} includes \"${included}\" from ${target}, its sibling on floor ${floor_${folder}}")
  else()
    return()
  endif()
  set(found ${${list_name}})
  list(APPEND found "${complaint}")
  set(${list_name} ${found} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
list(SORT sources)
set(problems "")
set(includes_read 0)
foreach(file IN LISTS sources)
  jl_top_folder("${file}" folder)
  if(NOT file MATCHES "\\.(h|cpp|c|rc|in)$")
    continue()
  endif()
  if(NOT DEFINED floor_${folder})
    list(APPEND problems "src/${file}: folder ${folder}/ has no floor; give it one in tests/include_floors.cmake")
    continue()
  endif()
  file(READ "${SOURCE_DIR}/${file}" text)
  # Line by line, so each complaint names its line; semicolons would split a CMake list.
  string(REPLACE ";" "," text "${text}")
  set(line_number 0)
  while(NOT text STREQUAL "")
    math(EXPR line_number "${line_number} + 1")
    string(FIND "${text}" "\n" end)
    if(end EQUAL -1)
      set(line "${text}")
      set(text "")
    else()
      string(SUBSTRING "${text}" 0 ${end} line)
      math(EXPR rest "${end} + 1")
      string(SUBSTRING "${text}" ${rest} -1 text)
    endif()
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
      math(EXPR includes_read "${includes_read} + 1")
      jl_judge_include("${file}" ${line_number} "${folder}" "${CMAKE_MATCH_1}" problems)
    endif()
  endwhile()
endforeach()

if(includes_read EQUAL 0)
  message(FATAL_ERROR "No #include \"...\" found under ${SOURCE_DIR}: nothing was checked.")
endif()
list(LENGTH problems count)
if(count GREATER 0)
  foreach(problem IN LISTS problems)
    message("${problem}")
  endforeach()
  message(FATAL_ERROR "${count} include(s) against the floors (support, resources < types < settings < runtime, splash < jvmopts < jvmhost < launcher).")
endif()
message(STATUS "${includes_read} includes under src/ keep to the floors.")
