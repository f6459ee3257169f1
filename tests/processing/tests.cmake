quarix_test(tst_numbertext ${CMAKE_CURRENT_LIST_DIR}/tst_numbertext.cpp)
quarix_test(tst_resultgrid ${CMAKE_CURRENT_LIST_DIR}/tst_resultgrid.cpp)
quarix_test(tst_runcommand ${CMAKE_CURRENT_LIST_DIR}/tst_runcommand.cpp)
quarix_test(tst_functions ${CMAKE_CURRENT_LIST_DIR}/tst_functions.cpp)
