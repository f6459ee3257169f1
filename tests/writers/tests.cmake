set(writer_support ${CMAKE_CURRENT_LIST_DIR}/WriterTestSupport.cpp ${CMAKE_CURRENT_LIST_DIR}/WriterTestSupport.h)
quarix_test(tst_statementparser ${CMAKE_CURRENT_LIST_DIR}/tst_statementparser.cpp)
quarix_test(tst_xlswriting ${CMAKE_CURRENT_LIST_DIR}/tst_xlswriting.cpp ${writer_support})
quarix_test(tst_biffstream ${CMAKE_CURRENT_LIST_DIR}/tst_biffstream.cpp)
