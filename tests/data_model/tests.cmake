quarix_test(tst_pathhelpers ${CMAKE_CURRENT_LIST_DIR}/tst_pathhelpers.cpp)
quarix_test(tst_filemodel ${CMAKE_CURRENT_LIST_DIR}/tst_filemodel.cpp)
quarix_test(tst_slotchecks ${CMAKE_CURRENT_LIST_DIR}/tst_slotchecks.cpp)
quarix_test(tst_opening ${CMAKE_CURRENT_LIST_DIR}/tst_opening.cpp)
