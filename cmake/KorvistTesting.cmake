# One QtTest executable per class or concern, run by CTest without a display.
# Every test gets its own XDG directories (see tests/support/isolation.h), so
# nothing a test writes can reach the user's files or another test.
# A11Y_SESSION runs the test where Qt's accessibility is live (see tests/support/a11y-session.sh).
function(korvist_add_test name)
    cmake_parse_arguments(ARG "A11Y_SESSION" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    if(ARG_A11Y_SESSION)
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tests/support/a11y-session.sh $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        TIMEOUT ${ARG_TIMEOUT})
endfunction()
