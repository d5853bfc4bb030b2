# One static library per subsystem, made of every .cpp file in its folder.
function(oq_subsystem name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    endif()
endfunction()

# One test executable per *_test.cpp file of a test folder, named <prefix>_<file>.
function(oq_tests folder prefix)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cpp)
    foreach(source ${tests})
        get_filename_component(stem ${source} NAME_WE)
        set(target ${prefix}_${stem})
        add_executable(${target} ${source})
        target_link_libraries(${target} PRIVATE oq_test_main ${ARG_DEPENDS} oq_test_main ${ARG_DEPENDS} GTest::gtest GTest::gmock)
        target_compile_definitions(${target} PRIVATE OQ_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
        oq_test_properties(${target})
    endforeach()
endfunction()

# CTest labels of test programs, chosen by the program's name so that a new program named after a
# rule gets its labels without an edit. Each rule: regular expression, labels (space-separated),
# timeout in seconds (0: ctest's default). Every rule that matches adds its labels; the largest
# timeout wins.
#   gl            draws on OpenGL (Mesa llvmpipe)
#   xvfb          starts its own X server
#   fonts         compiles whole test fonts end to end
#   heavy         runs for tens of seconds; ctest starts it first (COST), so it does not end the run alone
#   release-only  left out of CI's sanitizer run: a Release run covers it and it holds no
#                 memory-safety interest (docs/decisions.md says which and why)
set(OQ_TEST_RULES
    "^(vorl|ambrel|vorlfont)_gl_|_gl_test$" "gl" 0
    "_xvfb_test$" "xvfb" 0
    "^vorlfont_font_list_compile_test$" "fonts heavy" 300
    "^vorlfont_collection_compile_test$" "fonts heavy release-only" 900
    "_oracle_test$|_fonttools_test$" "heavy release-only" 0
    "^vorlfont_opentype_readback_oracle_test$" "fonts" 1200
    "^vorlfont_program_test$|_robustness_test$|^ambrel_nesting_test$|^kettric_parser_test$|_depth_test$|^editor_editing_harness_self_test$|^editor_editing_edit_properties_test$" "heavy" 0
)

# Gives the discovered tests of one program the labels and timeout of its rules, through a script
# CTest runs after the discovery script.
function(oq_test_properties target)
    set(labels)
    set(timeout 0)
    list(LENGTH OQ_TEST_RULES count)
    math(EXPR last "${count} - 1")
    foreach(i RANGE 0 ${last} 3)
        math(EXPR j "${i} + 1")
        math(EXPR k "${i} + 2")
        list(GET OQ_TEST_RULES ${i} pattern)
        list(GET OQ_TEST_RULES ${j} rule_labels)
        list(GET OQ_TEST_RULES ${k} rule_timeout)
        if(target MATCHES "${pattern}")
            separate_arguments(rule_labels)
            list(APPEND labels ${rule_labels})
            if(rule_timeout GREATER timeout)
                set(timeout ${rule_timeout})
            endif()
        endif()
    endforeach()
    if(NOT labels)
        return()
    endif()
    list(REMOVE_DUPLICATES labels)
    set(properties "LABELS \"${labels}\"")
    if(timeout GREATER 0)
        string(APPEND properties " TIMEOUT ${timeout}")
    endif()
    if("heavy" IN_LIST labels)
        string(APPEND properties " COST 10000")
    endif()
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
    file(WRITE ${script} "if(${target}_TESTS)\n    set_tests_properties(\${${target}_TESTS} PROPERTIES ${properties})\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
