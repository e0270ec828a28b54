# mobilant_layer(<name> [DEPS <target>...])
#
# Builds the static library mobilant_<name> from every source file of the
# calling directory. The directory itself is the layer's public include root,
# and the layers named in DEPS are the only others it can see.
function(mobilant_layer name)
    cmake_parse_arguments(LAYER "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    set(target mobilant_${name})
    if(sources)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${target} PUBLIC ${LAYER_DEPS})
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${target} INTERFACE ${LAYER_DEPS})
    endif()
    add_library(mobilant::${name} ALIAS ${target})
endfunction()

# Adds every subdirectory of the calling directory that has a CMakeLists.txt,
# so each area (a test suite, a tool, a benchmark) stays self-contained.
function(mobilant_add_subdirectories)
    file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()
