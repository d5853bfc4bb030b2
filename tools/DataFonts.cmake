# The numbered fonts of the Data folder: Data/N.vorl for every built-in row of the master font
# table, compiled by the build's vorlfont with the import's switches from fonts of Debian packages
# (`make deps`; sources and licences in docs/data-fonts.md). One command per file, so Ninja
# compiles them in parallel and recompiles a file only when vorlfont, its source or the script
# changes. File 21 holds two faces: a collection of two copies of one math font that share every
# table but 'name', made by make_shared_collection.py and compiled whole (no -f).

set(OQ_FONTTOOLS_PYTHON /usr/bin/python3 CACHE FILEPATH "Python with fontTools (python3-fonttools), for the Data fonts")
execute_process(COMMAND ${OQ_FONTTOOLS_PYTHON} -c "import fontTools" RESULT_VARIABLE fonttools_result OUTPUT_QUIET ERROR_QUIET)
if(NOT fonttools_result EQUAL 0)
    message(FATAL_ERROR "${OQ_FONTTOOLS_PYTHON} cannot import fontTools: run `make deps` (python3-fonttools) or set OQ_FONTTOOLS_PYTHON")
endif()

set(liberation /usr/share/fonts/truetype/liberation2)
set(caladea /usr/share/fonts/truetype/crosextra)
set(stix /usr/share/fonts/opentype/stix-word)
set(texgyre /usr/share/texmf/fonts/opentype/public/tex-gyre)
set(texgyre_math /usr/share/texmf/fonts/opentype/public/tex-gyre-math)

# File number and source font (package in the comment).
set(data_font_sources
    "0|/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf"   # fonts-lmodern
    "2|${liberation}/LiberationSerif-Regular.ttf"                             # fonts-liberation2
    "3|${liberation}/LiberationSerif-Italic.ttf"
    "4|${liberation}/LiberationSerif-Bold.ttf"
    "5|${liberation}/LiberationSerif-BoldItalic.ttf"
    "21|${stix}/STIXMath-Regular.otf"                                         # fonts-stix, two faces
    "22|${caladea}/Caladea-Italic.ttf"                                        # fonts-crosextra-caladea
    "23|${caladea}/Caladea-Bold.ttf"
    "24|${caladea}/Caladea-BoldItalic.ttf"
    "30|${liberation}/LiberationMono-Regular.ttf"                             # fonts-liberation2
    "31|${liberation}/LiberationMono-Italic.ttf"
    "32|${liberation}/LiberationMono-Bold.ttf"
    "33|${liberation}/LiberationMono-BoldItalic.ttf"
    "47|/usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf"           # fonts-symbola
    "48|${texgyre_math}/texgyretermes-math.otf"                               # fonts-texgyre-math
    "49|${stix}/STIX-Regular.otf"                                             # fonts-stix
    "50|${stix}/STIX-Italic.otf"
    "51|${stix}/STIX-Bold.otf"
    "52|${stix}/STIX-BoldItalic.otf"
    "53|${texgyre}/texgyretermes-regular.otf"                                 # fonts-texgyre
    "54|${texgyre}/texgyretermes-italic.otf"
    "55|${texgyre}/texgyretermes-bold.otf"
    "56|${texgyre}/texgyretermes-bolditalic.otf"
    "57|/usr/share/fonts/truetype/noto/NotoSansMath-Regular.ttf")             # fonts-noto-core

set(data_dir ${PROJECT_BINARY_DIR}/Data)
set(collection_dir ${PROJECT_BINARY_DIR}/data_fonts)
set(collection_script ${CMAKE_CURRENT_SOURCE_DIR}/make_shared_collection.py)
set(data_fonts)
set(data_font_list)
foreach(entry ${data_font_sources})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 number)
    list(GET entry 1 source)
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "Data font ${number}: ${source} is missing: run `make deps`")
    endif()
    set(output ${data_dir}/${number}.vorl)
    if(number EQUAL 21)
        # Face 0 is row 21 (text), face 1 row 25 (math).
        set(collection ${collection_dir}/21.otc)
        add_custom_command(
            OUTPUT ${collection}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${collection_dir}
            COMMAND ${OQ_FONTTOOLS_PYTHON} -B ${collection_script} ${source} ${collection} "OQ Data Text" "OQ Data Math"
            DEPENDS ${collection_script} ${source}
            COMMENT "Making the two-face collection of Data font 21"
            VERBATIM)
        set(source ${collection})
    endif()
    string(APPEND data_font_list "${number} ${source}\n")
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${data_dir}
        COMMAND vorlfont ${source} -o ${output} -no-poly -contours -math
        DEPENDS vorlfont ${source}
        COMMENT "Compiling Data font ${number}"
        VERBATIM)
    list(APPEND data_fonts ${output})
endforeach()
add_custom_target(data_fonts ALL DEPENDS ${data_fonts})
# What each file was compiled from, for the tests that compare the files with their sources.
file(GENERATE OUTPUT ${collection_dir}/sources.txt CONTENT "${data_font_list}")
