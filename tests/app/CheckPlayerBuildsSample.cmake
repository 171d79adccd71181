# Asks the build tool for every command that building the player target runs, and checks
# that writing the sample movie is among them (whether or not it has run yet).
execute_process(COMMAND ${NINJA} -C ${BUILD_DIR} -t commands quarvel-flash
                OUTPUT_VARIABLE commands RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "ninja -t commands quarvel-flash failed (${result})")
endif()
string(FIND "${commands}" "makesample ${SAMPLE}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "Building quarvel-flash does not write ${SAMPLE}")
endif()
string(FIND "${commands}" "makeicons" icons)
if(icons EQUAL -1)
    message(FATAL_ERROR "Building quarvel-flash does not render the application icon")
endif()
message(STATUS "Building quarvel-flash writes the sample movie and the icon")
