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
