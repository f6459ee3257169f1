quarix_test(tst_numbertext ${CMAKE_CURRENT_LIST_DIR}/tst_numbertext.cpp)
