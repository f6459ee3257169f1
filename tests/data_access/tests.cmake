quarix_test(tst_dbfreading ${CMAKE_CURRENT_LIST_DIR}/tst_dbfreading.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../writers/WriterTestSupport.cpp)
quarix_test(tst_connection ${CMAKE_CURRENT_LIST_DIR}/tst_connection.cpp)
quarix_test(tst_cli ${CMAKE_CURRENT_LIST_DIR}/tst_cli.cpp)
quarix_test(tst_celltexts ${CMAKE_CURRENT_LIST_DIR}/tst_celltexts.cpp)
