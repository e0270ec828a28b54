# cmake [-DLAUNCHER=wine-run] -DHOST=mobilant-host -DSCENE=x.scene -DEXPECTED=x.expected
#       [-DFRAMES=dir] -P RunScene.cmake
#
# Plays the scene (through LAUNCHER when given) and fails unless its standard output is the
# expected text, line for line, and its exit status the one the scene states ("# status: N",
# default 0). With FRAMES, the frame of every game loop is written there, afresh.
file(STRINGS ${SCENE} header LIMIT_COUNT 5)
set(options)
set(status 0)
foreach(line ${header})
    if(line MATCHES "^# options: (.*)$")
        separate_arguments(options UNIX_COMMAND "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^# status: ([0-9]+)$")
        set(status ${CMAKE_MATCH_1})
    endif()
endforeach()

if(FRAMES)
    file(REMOVE_RECURSE ${FRAMES})
    list(APPEND options --frames ${FRAMES})
endif()

execute_process(COMMAND ${LAUNCHER} ${HOST} ${options} ${SCENE}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
file(READ ${EXPECTED} expected)
if(NOT rc EQUAL status OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${SCENE}: exit status ${rc} (expected ${status})\n"
                        "--- output ---\n${out}--- expected ---\n${expected}--- errors ---\n${err}")
endif()
