fennix_add_test(fennix_scheduler_core_tests
  SOURCES
    TimeSchedulerManagerTest.cpp
  LIBS fennix_scheduler_core)

if(TARGET fennix_downloads_online)
  fennix_add_test(fennix_downloads_online_tests GUI TIMEOUT 300
    SOURCES
      OnlinePageTest.cpp
      SchedulerWindowsTest.cpp
    LIBS fennix_downloads_online Qt6::Test Qt6::Network)
  target_compile_definitions(fennix_downloads_online_tests PRIVATE ONLINE_SCREENS_DIR="${CMAKE_BINARY_DIR}/online-screens")
endif()
