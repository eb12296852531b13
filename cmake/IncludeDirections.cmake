# The allowed #include directions between source folders, checked by the test
# "include_directions" (cmake -DSOURCE_DIR=<checkout> -P cmake/IncludeDirections.cmake).
#
# One line a folder: "folder: the folders it may include from". A file belongs to the longest
# folder below that holds it; including from its own folder is always allowed. A folder not
# listed here, or an arrow not listed, fails the check: add the arrow on purpose, in the same
# change that needs it, or move the code so the arrow is not needed. Three pairs point both ways
# today (downloads and converter, converter and library, recording and tools/capvane, whose
# capture-tool protocol the recording core builds); they are not to be copied.
set(FENNIX_INCLUDE_ARROWS
  "platform: "
  "platform/log: platform"
  "engine: "
  "media: platform/log"
  "devices: platform"
  "tallybeam: "
  "outside/crashreporter: platform"
  "outside/kelvra: platform platform/log"
  "outside/stallwick: "
  "outside/updater: platform platform/log"
  "controls/slices: "
  "downloads/store: "
  "tools/swiftcarry: media platform"
  "reelgrab: engine platform"
  "reelgrab/kit: downloads/store platform reelgrab"
  "controls: controls/slices platform platform/log"
  "shell: controls controls/slices outside/crashreporter outside/kelvra outside/stallwick outside/updater platform platform/log reelgrab"
  "extension/json: platform/log"
  "extension: extension/json platform platform/log"
  "downloads: controls controls/slices converter downloads/store outside/kelvra platform platform/log reelgrab reelgrab/kit shell"
  "converter: controls controls/gallery downloads library media outside/kelvra platform platform/log shell tools/swiftcarry"
  "library: controls converter downloads media outside/kelvra platform platform/log reelgrab shell tools/swiftcarry"
  "recording: controls converter downloads library media platform platform/log reelgrab shell tools/capvane"
  "tools/capvane: media platform recording reelgrab"
  "transfer: controls converter devices downloads library outside/kelvra platform platform/log shell"
  "feedback: controls outside/crashreporter platform platform/log shell"
  "controls/gallery: controls controls/slices shell"
  "app: converter devices downloads feedback library platform platform/log recording reelgrab shell tools/capvane tools/swiftcarry transfer"
)

# Operating-system services are reached through src/platform only: these calls and interfaces
# anywhere else in src/ or app/ fail the check too.
set(FENNIX_PLATFORM_ONLY_CALLS
  "(^|[^A-Za-z0-9_])flock[ \t]*\\("
  "\"xdg-settings\""
  "\"xdg-open\""
  "\"systemctl\""
  "com\\.canonical\\.Unity"
  "org\\.freedesktop\\.login1")

if(NOT CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<checkout> -P IncludeDirections.cmake")
endif()

set(folders "")
foreach(line IN LISTS FENNIX_INCLUDE_ARROWS)
  string(REGEX MATCH "^([^:]+):(.*)$" _ "${line}")
  set(folder "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" targets)
  string(REPLACE " " ";" targets "${targets}")
  list(APPEND folders ${folder})
  set(allowed_${folder} ${folder} ${targets})
endforeach()
# Longest first, so a file goes to its innermost folder.
list(SORT folders COMPARE STRING ORDER DESCENDING)

function(folder_of path out)
  foreach(f IN LISTS folders)
    string(LENGTH "${f}/" n)
    string(SUBSTRING "${path}" 0 ${n} head)
    if(head STREQUAL "${f}/")
      set(${out} ${f} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

list(JOIN FENNIX_PLATFORM_ONLY_CALLS "|" platform_only)
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.c ${SOURCE_DIR}/app/*.cpp)
set(wrong "")
foreach(file IN LISTS files)
  if(file MATCHES "^src/")
    string(SUBSTRING "${file}" 4 -1 rel)
  else()
    set(rel "${file}")
  endif()
  folder_of("${rel}" from)
  if(from STREQUAL "")
    list(APPEND wrong "${file}: its folder has no line in the table")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
    set(included "${CMAKE_MATCH_1}")
    # Only the tree's own headers, named from src/; a name beside the file is its own folder.
    if(NOT EXISTS ${SOURCE_DIR}/src/${included} OR NOT included MATCHES "/")
      continue()
    endif()
    folder_of("${included}" to)
    if(NOT to IN_LIST allowed_${from})
      list(APPEND wrong "${file}: includes \"${included}\", but ${from} may not include from ${to}")
    endif()
  endforeach()
  if(from STREQUAL "platform" OR from MATCHES "^platform/")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${file} calls REGEX "${platform_only}")
  if(calls)
    # A line holding ";" comes back as several items; the first says enough.
    list(GET calls 0 first)
    string(STRIP "${first}" first)
    list(APPEND wrong "${file}: reaches the system past src/platform: ${first}")
  endif()
endforeach()

if(wrong)
  list(LENGTH wrong count)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "${count} file(s) against the allowed directions:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "include directions: ${count} files follow the table")
