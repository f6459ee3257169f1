quarix_test(tst_functionwizard ${CMAKE_CURRENT_LIST_DIR}/tst_functionwizard.cpp)
