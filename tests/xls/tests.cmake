add_library(quarix_xlstruth STATIC ${CMAKE_CURRENT_LIST_DIR}/XlsTruth.cpp ${CMAKE_CURRENT_LIST_DIR}/XlsTruth.h)
target_link_libraries(quarix_xlstruth PUBLIC quarix_testsupport)
quarix_test(tst_xlspublicfiles ${CMAKE_CURRENT_LIST_DIR}/tst_xlspublicfiles.cpp)
target_link_libraries(tst_xlspublicfiles PRIVATE quarix_xlstruth)
