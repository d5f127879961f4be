# vantrelle_module(NAME DEPS <libs...> PRIVATE_DEPS <libs...>)
# A core module: every .cpp under <module>/src, public headers under <module>/include.
function(vantrelle_module name)
    cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp")
    if(sources)
        add_library(${name} STATIC ${sources})
        # Position-independent: the tool's command module, a shared object, links the modules too.
        set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
        target_include_directories(${name} PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}/include"
                                           PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/src")
        target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE "${CMAKE_CURRENT_SOURCE_DIR}/include")
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
    add_library(vantrelle::${name} ALIAS ${name})
endfunction()
