fennix_add_test(fennix_scheduler_core_tests
  SOURCES
    TimeSchedulerManagerTest.cpp
  LIBS fennix_scheduler_core)

fennix_add_test(fennix_downloads_online_tests GUI TIMEOUT 300
  SOURCES
    OnlinePageTest.cpp
    SchedulerClickThroughTest.cpp
    SchedulerWindowsTest.cpp
  LIBS fennix_downloads_online Qt6::Test Qt6::Network)
target_compile_definitions(fennix_downloads_online_tests PRIVATE ONLINE_SCREENS_DIR="${CMAKE_BINARY_DIR}/online-screens")

# Pictures of the Online page. Web content is painted only on a display, so this one test
# runs under a private X server; without one it runs offscreen and skips itself.
add_executable(fennix_online_page_grab_tests
  OnlinePageGrabTest.cpp ${PROJECT_SOURCE_DIR}/tests/engine/LoopbackServer.cpp)
target_include_directories(fennix_online_page_grab_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine)
target_link_libraries(fennix_online_page_grab_tests PRIVATE fennix_testsupport_gui fennix_downloads_online Qt6::Test)
target_compile_definitions(fennix_online_page_grab_tests PRIVATE ONLINE_SCREENS_DIR="${CMAKE_BINARY_DIR}/online-screens")
set(_fennix_under_x "${CMAKE_CURRENT_BINARY_DIR}/run-under-x.sh")
file(WRITE "${_fennix_under_x}" [=[
#!/bin/sh
# Runs a test program on a private X server when one can be started, else offscreen (where the
# program skips what needs a display). The server picks a free display itself (-displayfd), so
# parallel runs never race for one.
if command -v Xvfb >/dev/null 2>&1; then
  dir=$(mktemp -d) || exit 1
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$dir/display" 2>"$dir/log" &
  server=$!
  trap 'kill "$server" 2>/dev/null; rm -rf "$dir"' HUP INT TERM
  tries=0
  while [ ! -s "$dir/display" ] && kill -0 "$server" 2>/dev/null && [ "$tries" -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  number=$(cat "$dir/display")
  if [ -n "$number" ]; then
    DISPLAY=":$number" QT_QPA_PLATFORM=xcb "$@"
    status=$?
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$dir"
    exit "$status"
  fi
  kill "$server" 2>/dev/null
  echo "Xvfb did not start: $(cat "$dir/log")"
  rm -rf "$dir"
fi
echo "no X server could be started: running offscreen"
QT_QPA_PLATFORM=offscreen exec "$@"
]=])
add_test(NAME fennix_online_page_grab_tests COMMAND sh "${_fennix_under_x}" $<TARGET_FILE:fennix_online_page_grab_tests>)
set_tests_properties(fennix_online_page_grab_tests PROPERTIES
  # Software painting throughout, so the picture does not depend on the machine's GL driver.
  ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1;QT_QUICK_BACKEND=software;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu"
  SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
  TIMEOUT 300)

# The Online page in the real main window beside the real Download page, whose running list
# starts real helper processes.
fennix_add_test(fennix_online_page_end_to_end_tests GUI TIMEOUT 300
  SOURCES OnlinePageEndToEndTest.cpp ${PROJECT_SOURCE_DIR}/tests/engine/LoopbackServer.cpp
  LIBS fennix_downloads_online fennix_downloads_page Qt6::Test)
target_include_directories(fennix_online_page_end_to_end_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine)
add_dependencies(fennix_online_page_end_to_end_tests Reelgrab)
target_compile_definitions(fennix_online_page_end_to_end_tests PRIVATE REELGRAB_PROGRAM="$<TARGET_FILE:Reelgrab>")
