# Resources built into programs.

# Where the artwork generator (tools/artwork) writes the icons and bitmaps:
# the icons are built into the programs, the bitmaps are laid into the
# install folder by the installer.
set(MARLWICK_ARTWORK_DIR ${CMAKE_BINARY_DIR}/bin/artwork)

# marlwick_resources(<target> SCRIPT <file.rc> [ARTWORK] [SEARCH <dirs...>] [DEPENDS <targets...>])
# Builds the resource script and every file it names into <target>: the
# build checks the script (an error fails it with the script's file and
# line) and generates a source that registers the resources under the
# program's module handle when it starts. Files are looked for beside the
# script, then in the SEARCH folders; DEPENDS names targets that make them.
# ARTWORK searches the generated artwork and waits for it.
function(marlwick_resources target)
    cmake_parse_arguments(R "ARTWORK" "SCRIPT" "SEARCH;DEPENDS" ${ARGN})
    if(R_ARTWORK)
        list(APPEND R_SEARCH ${MARLWICK_ARTWORK_DIR})
        list(APPEND R_DEPENDS marlwick-artwork-files ${MARLWICK_ARTWORK_DIR}/artwork.stamp)
    endif()
    get_filename_component(script ${R_SCRIPT} ABSOLUTE)
    get_filename_component(stem ${script} NAME_WE)
    file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${script})
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_resources.cpp)
    set(search)
    foreach(dir IN LISTS R_SEARCH)
        list(APPEND search --search ${dir})
    endforeach()
    add_custom_command(OUTPUT ${output}
        COMMAND marlwick-rc ${script} ${output} ${output}.d --name ${name} ${search}
        DEPENDS marlwick-rc ${script} ${R_DEPENDS}
        DEPFILE ${output}.d
        COMMENT "Building the resources of ${target} from ${name}"
        VERBATIM)
    target_sources(${target} PRIVATE ${output})
    target_link_libraries(${target} PRIVATE user)
endfunction()
