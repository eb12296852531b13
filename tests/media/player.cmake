fennix_add_test(vexlume_player_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayerTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_vexlume_player fennix_vexlume
  GUI
  TIMEOUT 240)

# The same clip under an X server without GL acceleration (Xvfb, software GL), with the picture
# path chosen as the application chooses it: it must play through, by OpenGL or by the
# software path taking over.
find_program(FENNIX_XVFB_RUN xvfb-run)
if(FENNIX_XVFB_RUN)
  add_test(NAME vexlume_player_xvfb
    COMMAND ${FENNIX_XVFB_RUN} -a env -u FENNIX_PLAYER_RENDER QT_QPA_PLATFORM=xcb
            $<TARGET_FILE:vexlume_player_tests> --gtest_filter=PlayerTest.PlaysThrough*:PlayerTest.ForcedOpenGL*)
  set_tests_properties(vexlume_player_xvfb PROPERTIES TIMEOUT 120)
endif()
