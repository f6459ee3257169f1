quarix_test(tst_seams ${CMAKE_CURRENT_LIST_DIR}/tst_seams.cpp)
quarix_test(tst_mainwindow ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Screenshots.h FORMS)
quarix_test(tst_dialogs ${CMAKE_CURRENT_LIST_DIR}/tst_dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Screenshots.h FORMS)
quarix_test(tst_filelist ${CMAKE_CURRENT_LIST_DIR}/tst_filelist.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Screenshots.h FORMS)
quarix_test(tst_singleinstance ${CMAKE_CURRENT_LIST_DIR}/tst_singleinstance.cpp)
target_compile_definitions(tst_singleinstance PRIVATE QUARIX_PROGRAM="$<TARGET_FILE:quarix>")
target_link_libraries(tst_singleinstance PRIVATE Qt6::Network)
add_dependencies(tst_singleinstance quarix)
quarix_test(tst_openfiles ${CMAKE_CURRENT_LIST_DIR}/tst_openfiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ModalAnswers.h ${CMAKE_CURRENT_LIST_DIR}/Screenshots.h FORMS)
quarix_test(tst_wizardwindow ${CMAKE_CURRENT_LIST_DIR}/tst_wizardwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoadedWindow.h ${CMAKE_CURRENT_LIST_DIR}/ModalAnswers.h
    ${CMAKE_CURRENT_LIST_DIR}/Screenshots.h FORMS)
quarix_test(tst_gridwindow ${CMAKE_CURRENT_LIST_DIR}/tst_gridwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoadedWindow.h ${CMAKE_CURRENT_LIST_DIR}/Screenshots.h FORMS)
quarix_test(tst_layouts ${CMAKE_CURRENT_LIST_DIR}/tst_layouts.cpp FORMS)
