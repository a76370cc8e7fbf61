# Runs a cross-built QtTest program under its emulator (wine). There QtTest's
# output reaches neither a pipe nor a file through stdout, only a file it is
# told to write; the program's exit code still tells the outcome.
# Usage: cmake -DPROGRAM=<exe> -DEMULATOR=<emulator> -P RunEmulatedQtTest.cmake
get_filename_component(name "${PROGRAM}" NAME_WE)
set(result "${name}.result.txt")
# A program that ran writes its results whatever its outcome. Now and then
# wine ends a start at once with 1 and the program never runs: that start,
# and only that, is made again.
foreach(attempt 1 2)
    file(REMOVE "${result}")
    execute_process(COMMAND ${EMULATOR} "${PROGRAM}" -o "${result},txt" RESULT_VARIABLE code)
    if(EXISTS "${result}" OR code EQUAL 0)
        break()
    endif()
    message("${name} did not run (exit code ${code}): starting it again")
endforeach()
if(EXISTS "${result}")
    file(READ "${result}" output)
    message("${output}")
endif()
if(NOT code EQUAL 0)
    message(FATAL_ERROR "${name} failed (exit code ${code})")
elseif(NOT EXISTS "${result}")
    message(FATAL_ERROR "${name} exited with 0 but wrote no results")
endif()
