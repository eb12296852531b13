fennix_add_test(rmi_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QVRmiConnectionTest.cpp
  LIBS fennix_rmi)
