# Helpers shared by every folder's CMakeLists.txt.

# A core library: QtCore (and QtNetwork where it talks HTTP), never QtGui, QtDBus or widgets, so
# it runs and tests headless (fennix_check_headless holds every one to that).
function(fennix_core_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC Qt6::Core ${A_LIBS} PRIVATE ${A_PRIVATE_LIBS})
  set_property(GLOBAL APPEND PROPERTY FENNIX_CORE_LIBRARIES ${name})
endfunction()

# A GUI library sits on top of core libraries and may use widgets and the desktop platform.
function(fennix_gui_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets fennix_platform ${A_LIBS} PRIVATE ${A_PRIVATE_LIBS})
endfunction()

# A GoogleTest executable. GUI tests pass GUI; they get a QApplication, others a QCoreApplication.
# Every test process runs with its own HOME and XDG folders (see tests/support). CHILD_CASES
# names the suites that only run as child processes of other cases (a gtest pattern): they are
# not listed as tests of their own.
function(fennix_add_test name)
  cmake_parse_arguments(A "GUI" "TIMEOUT;CHILD_CASES" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  if(A_GUI)
    target_link_libraries(${name} PRIVATE fennix_testsupport_gui ${A_LIBS})
  else()
    target_link_libraries(${name} PRIVATE fennix_testsupport ${A_LIBS})
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  set(_filter "")
  if(A_CHILD_CASES)
    set(_filter TEST_FILTER "-${A_CHILD_CASES}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    ${_filter}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1" TIMEOUT ${A_TIMEOUT})
endfunction()

# A fuzz target for a parser of untrusted bytes: SOURCE defines LLVMFuzzerTestOneInput.
# Normal builds link it with a replay main and add a test (label "fuzz-corpus") that feeds it
# every saved input in CORPUS. -DFENNIX_FUZZ=ON (clang) makes it a libFuzzer program instead,
# with a test labelled "fuzz" that fuzzes for FENNIX_FUZZ_SECONDS; `./dev fuzz` runs those.
function(fennix_add_fuzz_target name)
  cmake_parse_arguments(A "" "SOURCE;CORPUS;DICT" "LIBS" ${ARGN})
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  if(FENNIX_FUZZ)
    add_executable(${name} ${A_SOURCE})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    # New inputs and crashes go to the build tree, never into the saved corpus; copy a crash
    # into the corpus once it is fixed.
    set(work ${CMAKE_CURRENT_BINARY_DIR}/fuzz-work/${name})
    file(MAKE_DIRECTORY ${work}/corpus ${work}/crashes)
    set(dict "")
    if(A_DICT)
      set(dict -dict=${A_DICT})
    endif()
    add_test(NAME ${name}
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
        $<TARGET_FILE:${name}> -max_total_time=${FENNIX_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
        -max_len=16384 ${dict} -artifact_prefix=${work}/crashes/ -print_final_stats=1
        ${work}/corpus ${A_CORPUS})
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 600
      ENVIRONMENT "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
  else()
    add_executable(${name} ${A_SOURCE} ${PROJECT_SOURCE_DIR}/tests/support/FuzzReplay.cpp)
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    add_test(NAME ${name}_replay COMMAND ${name} ${A_CORPUS})
    set_tests_properties(${name}_replay PROPERTIES LABELS fuzz-corpus TIMEOUT 120
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  add_dependencies(fuzzers ${name})
endfunction()

# The direct links of a target (its own and those it passes on), $<LINK_ONLY:…> unwrapped.
function(_fennix_direct_links target out)
  set(libs "")
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(l1 ${target} LINK_LIBRARIES)
    if(l1)
      list(APPEND libs ${l1})
    endif()
  endif()
  get_target_property(l2 ${target} INTERFACE_LINK_LIBRARIES)
  if(l2)
    list(APPEND libs ${l2})
  endif()
  list(TRANSFORM libs REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1")
  set(${out} ${libs} PARENT_SCOPE)
endfunction()

function(_fennix_collect_links target out)
  set(seen ${${out}})
  if(NOT TARGET ${target} OR target IN_LIST seen)
    set(${out} ${seen} PARENT_SCOPE)
    return()
  endif()
  list(APPEND seen ${target})
  _fennix_direct_links(${target} libs)
  foreach(lib IN LISTS libs)
    if(lib MATCHES "^Qt6::" )
      list(APPEND seen ${lib})
    elseif(TARGET ${lib})
      _fennix_collect_links(${lib} seen)
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# The first link chain from target to dependency ("a -> b -> Qt6::Gui"), empty when target does
# not reach it; breadth first, so the chain is a shortest one.
function(_fennix_link_path target dependency out)
  set(queue ${target})
  set(seen ${target})
  set(path_${target} ${target})
  while(queue)
    list(POP_FRONT queue node)
    _fennix_direct_links(${node} libs)
    foreach(lib IN LISTS libs)
      if(lib IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${lib})
      set(path_${lib} "${path_${node}} -> ${lib}")
      if(lib STREQUAL dependency)
        set(${out} "${path_${lib}}" PARENT_SCOPE)
        return()
      endif()
      if(TARGET ${lib} AND NOT lib MATCHES "^Qt6::")
        list(APPEND queue ${lib})
      endif()
    endforeach()
  endwhile()
  set(${out} "" PARENT_SCOPE)
endfunction()

# Fails the configure step when a headless target (a helper, the engine, a core library) reaches
# QtGui, QtDBus or QtWidgets through any of its links: those run with no display and no session
# bus. Every offender is named with the chain that brings the module in, then configuring stops.
function(fennix_check_headless)
  set(failures "")
  foreach(target IN LISTS ARGN)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "headless target ${target} does not exist; the list in CMakeLists.txt names it")
    endif()
    set(all "")
    _fennix_collect_links(${target} all)
    foreach(bad Qt6::Gui Qt6::DBus Qt6::Widgets Qt6::WebEngineCore Qt6::WebEngineWidgets)
      if(bad IN_LIST all)
        _fennix_link_path(${target} ${bad} chain)
        string(APPEND failures "\n  headless target ${target} links ${bad}: ${chain}")
      endif()
    endforeach()
  endforeach()
  if(failures)
    message(FATAL_ERROR "targets that must run with no display and no session bus reach a desktop module:${failures}")
  endif()
endfunction()
