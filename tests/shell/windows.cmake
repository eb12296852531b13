fennix_add_test(fennix_shell_windows_tests GUI TIMEOUT 300
  SOURCES
    PreferenceWndCtrTest.cpp
    SmallWindowsTest.cpp
  LIBS fennix_shell_windows Qt6::Test Qt6::Network)
target_compile_definitions(fennix_shell_windows_tests PRIVATE WINDOWS_SCREENS_DIR="${CMAKE_BINARY_DIR}/windows-screens")
