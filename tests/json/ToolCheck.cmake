# Runs mobilant-json on small files and checks its two lines and its exit status.
# Arguments: -DTOOL=<mobilant-json, after the emulator that runs it if any> -DSCRATCH=<scratch directory>
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})

function(expect_tool file_text expected_output expected_status)
    file(WRITE ${SCRATCH}/input.json "${file_text}")
    execute_process(COMMAND ${TOOL} ${SCRATCH}/input.json
        OUTPUT_VARIABLE output RESULT_VARIABLE status)
    if(NOT output STREQUAL expected_output OR NOT status EQUAL expected_status)
        message(FATAL_ERROR "mobilant-json on '${file_text}': got status ${status} and\n"
            "${output}\nexpected status ${expected_status} and\n${expected_output}")
    endif()
endfunction()

expect_tool("[1, \"a\\u0022\", {\"k\": 0.5, \"k\": 1e999}] tail"
    "Ok 38\n[1,\"a\\u0022\",{\"k\":0.5,\"k\":Infinity}]\n" 0)
expect_tool("[1," "UnexpectedEnd 2\n" 1)
expect_tool("{\"a\":1]" "MismatchedClose 6\n" 1)

execute_process(COMMAND ${TOOL} ${SCRATCH}/missing.json
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 2 OR NOT output STREQUAL "" OR errors STREQUAL "")
    message(FATAL_ERROR "mobilant-json on a missing file: status ${status}, output '${output}', "
        "errors '${errors}'; expected status 2, no output and a message")
endif()
