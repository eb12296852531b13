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
# runs on a private X server with a window manager, as users meet the page
# (tests/support/run-under-x-wm.sh); without one it runs offscreen and skips itself.
add_executable(fennix_online_page_grab_tests
  OnlinePageGrabTest.cpp ${PROJECT_SOURCE_DIR}/tests/engine/LoopbackServer.cpp)
target_include_directories(fennix_online_page_grab_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine)
target_link_libraries(fennix_online_page_grab_tests PRIVATE fennix_testsupport_gui fennix_downloads_online Qt6::Test)
target_compile_definitions(fennix_online_page_grab_tests PRIVATE ONLINE_SCREENS_DIR="${CMAKE_BINARY_DIR}/online-screens")
add_test(NAME fennix_online_page_grab_tests
  COMMAND sh ${PROJECT_SOURCE_DIR}/tests/support/run-under-x-wm.sh $<TARGET_FILE:fennix_online_page_grab_tests>)
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
