# One QtTest executable per class or concern, run by CTest without a display.
# Every test gets its own XDG directories (see tests/support/isolation.h), so
# nothing a test writes can reach the user's files or another test.
#
# The suites that link the simulator's support libraries need korvist-sim's
# device, which is the development platform's; elsewhere they are left out.
set(KORVIST_SIMULATOR_TEST_LIBS korvist_test_support korvist_e2e_support)
set(KORVIST_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
if(CMAKE_CROSSCOMPILING AND WIN32)
    # Wine finds Qt's DLLs (and the compiler runtime beside them) on its PATH,
    # and the test programs (all in the top build directory, as on Windows)
    # find Qt's plugins through a qt.conf. Wine keeps QT_* variables from
    # Windows programs, so they run on Qt's windows platform, which needs no
    # display under wine.
    string(REPLACE "/" "\\" korvist_qt_bin "Z:${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
    list(APPEND KORVIST_TEST_ENVIRONMENT "WINEPATH=${korvist_qt_bin}" "WINEDEBUG=-all")
    file(WRITE ${CMAKE_BINARY_DIR}/qt.conf "[Paths]\nPrefix=Z:${QT6_INSTALL_PREFIX}\n")
endif()

# A11Y_SESSION runs the test where Qt's accessibility is live (see
# tests/support/a11y-session.sh): the Linux desktop's accessibility bus.
function(korvist_add_test name)
    cmake_parse_arguments(ARG "A11Y_SESSION" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(ARG_A11Y_SESSION AND WIN32)
        return()
    endif()
    foreach(lib IN LISTS KORVIST_SIMULATOR_TEST_LIBS)
        if(lib IN_LIST ARG_LIBS AND NOT TARGET ${lib})
            return()
        endif()
    endforeach()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}>
            "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -P ${KORVIST_CMAKE_DIR}/RunEmulatedQtTest.cmake)
    elseif(ARG_A11Y_SESSION)
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tests/support/a11y-session.sh $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${KORVIST_TEST_ENVIRONMENT}"
        TIMEOUT ${ARG_TIMEOUT})
endfunction()
