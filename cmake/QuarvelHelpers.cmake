# Adds every immediate sub-folder that carries its own CMakeLists.txt, so that a new tool,
# benchmark or test folder joins the build without anyone editing a shared list.
function(quarvel_add_subdirectories)
    file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child IN LISTS children)
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
           AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# quarvel_add_gtest(NAME name SOURCES ... LIBS ... [LABELS ...] [QT])
# QT selects a main() that creates a QApplication on the offscreen platform.
function(quarvel_add_gtest)
    cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    if(T_QT)
        target_link_libraries(${T_NAME} PRIVATE quarvel_test_qt_main)
    else()
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock quarvel_test_support)
    target_compile_definitions(${T_NAME} PRIVATE
        QUARVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        QUARVEL_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/swf-corpus")
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                   LABELS "${T_LABELS}"
                   TIMEOUT 120)
endfunction()
