# The installed tree: `cmake --install` into a temporary prefix, then its files, their validators
# and a start of the installed program (tests/desktop/check_install.py).
string(REPLACE ";" "," sizes "${QUARIX_ICON_SIZES}")
foreach(check IN ITEMS files validate start)
    add_test(NAME desktop_${check}
        COMMAND ${QUARIX_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/check_install.py
            --build ${CMAKE_BINARY_DIR} --cmake ${CMAKE_COMMAND} --id ${QUARIX_APP_ID}
            --sizes ${sizes} --open ${QUARIX_TESTDATA}/types.xls ${check})
    set_tests_properties(desktop_${check} PROPERTIES TIMEOUT 120)
endforeach()

# The program in a real window: a virtual X display with openbox, a second real start, the
# stacking order, the clipboard, a drag from another program and the file dialogs
# (tests/desktop/real_window.py).
add_executable(desktop-probe ${CMAKE_CURRENT_LIST_DIR}/DesktopProbe.cpp)
target_link_libraries(desktop-probe PRIVATE Qt6::Widgets)
foreach(case IN ITEMS handover first_start_shows_every_dialog cancel_question_above_progress
        drop copy csv_open_and_save)
    add_test(NAME real_window_${case}
        COMMAND ${QUARIX_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/real_window.py
            --quarix $<TARGET_FILE:quarix> --probe $<TARGET_FILE:desktop-probe>
            --data ${QUARIX_TESTDATA} ${case})
    set_tests_properties(real_window_${case} PROPERTIES TIMEOUT 180)
endforeach()
