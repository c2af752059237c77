# kite_add_test(NAME <name> SOURCES <files...> LIBS <targets...>)
# Builds one GoogleTest executable and registers it with CTest. Every test runs on
# Qt's offscreen platform with its own throw-away XDG folders, so no test can touch
# the user's settings or need a display.
function(kite_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest kite_testsupport)
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT 300)
endfunction()
