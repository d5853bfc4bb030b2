# The icon files of the Data folder: each Ambrel drawing of editor/editing/icons compiled by the
# build's vorlicon into Data/<name>.vorl, one command per file. vorlicon exits with 1 on any
# failure, so the build fails when a drawing does not compile. Later icon files join the list.
set(data_icon_sources
    ${PROJECT_SOURCE_DIR}/editor/editing/icons/Tools.ambrel)

set(data_icons)
foreach(source ${data_icon_sources})
    get_filename_component(name ${source} NAME_WE)
    set(output ${PROJECT_BINARY_DIR}/Data/${name}.vorl)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/Data
        COMMAND vorlicon ${source} -o ${output}
        DEPENDS vorlicon ${source}
        COMMENT "Compiling the ${name} icons"
        VERBATIM)
    list(APPEND data_icons ${output})
endforeach()
add_custom_target(data_icons ALL DEPENDS ${data_icons})
