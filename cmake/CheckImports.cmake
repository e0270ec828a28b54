# cmake -DOBJDUMP=<objdump> -DFILE=<program or DLL> -DALLOWED=<dll;...> -DSTAMP=<file>
#       -P CheckImports.cmake
#
# Fails when FILE imports a DLL that is not in ALLOWED (compared without case, as
# Windows does); writes STAMP when it passes.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${OBJDUMP} -p ${FILE}
    OUTPUT_VARIABLE headers RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${FILE} failed: ${errors}")
endif()

string(TOLOWER "${ALLOWED}" allowed)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${headers}")
set(imported)
set(forbidden)
foreach(line ${lines})
    string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    list(APPEND imported ${dll})
    string(TOLOWER "${dll}" key)
    if(NOT key IN_LIST allowed)
        list(APPEND forbidden ${dll})
    endif()
endforeach()

if(forbidden)
    list(JOIN forbidden ", " forbidden)
    list(JOIN imported ", " imported)
    message(FATAL_ERROR "${FILE} imports ${forbidden}, which a player's Windows may lack "
        "(it imports ${imported}). Link the library statically or, if it really ships "
        "with Windows, add it to MOBILANT_WINDOWS_ALLOWED_DLLS in cmake/MobilantWindows.cmake.")
endif()
if(NOT imported)
    message(FATAL_ERROR "${OBJDUMP} found no imports in ${FILE}: not a Windows program?")
endif()
file(TOUCH ${STAMP})
