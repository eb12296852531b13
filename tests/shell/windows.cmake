fennix_add_test(fennix_shell_windows_tests GUI TIMEOUT 300
  SOURCES
    PreferenceWndCtrTest.cpp
    SmallWindowsTest.cpp
  LIBS fennix_shell_windows Qt6::Test Qt6::Network)
target_compile_definitions(fennix_shell_windows_tests PRIVATE WINDOWS_SCREENS_DIR="${CMAKE_BINARY_DIR}/windows-screens")

# Windows as users meet them: each case starts a private X server with a window manager
# (openbox) and runs itself again on that display (see ShellWindowManagerTest.cpp).
fennix_add_test(fennix_shell_windows_wm_tests GUI TIMEOUT 300
  SOURCES
    ShellWindowManagerTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/recording/PrivateXServer.cpp
  LIBS fennix_shell_windows Qt6::Test)
add_dependencies(fennix_shell_windows_wm_tests Brisklet)
target_compile_definitions(fennix_shell_windows_wm_tests PRIVATE
  WINDOWS_SCREENS_DIR="${CMAKE_BINARY_DIR}/windows-screens"
  BRISKLET_PLUGIN="$<TARGET_FILE:Brisklet>")
