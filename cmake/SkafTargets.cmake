# Shared compile settings for every Skaf target.
function(skaf_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
    if(SKAF_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(SKAF_SANITIZE STREQUAL "thread")
        target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=thread)
        # Every program of the build reads the suppressions of the tree without being told.
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/ThreadSanitizerOptions.cpp)
            target_compile_definitions(${target} PRIVATE
                SKAF_TSAN_SUPPRESSIONS="${PROJECT_SOURCE_DIR}/cmake/thread-sanitizer-suppressions.txt")
        endif()
    elseif(SKAF_SANITIZE)
        # "undefined" leaves out floating-point division by zero, which IEEE arithmetic defines; in
        # geometry it is a fault all the same: it makes endless or NaN frames.
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined,float-divide-by-zero
                               -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined,float-divide-by-zero)
    endif()
    if(SKAF_FUZZ)
        # Libraries carry the fuzzer's coverage hooks, so fuzz targets can link them instead of
        # compiling their sources again.
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    endif()
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_USE_QSTRINGBUILDER)
endfunction()

# A library of one folder: every source below the folder except tests.
function(skaf_add_library target)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LINKS;PRIVATE_LINKS" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    skaf_target_defaults(${target})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
endfunction()

# One test executable per folder of tests/, run through ctest with gtest discovery.
function(skaf_add_test target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS;LABELS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    skaf_target_defaults(${target})
    target_link_libraries(${target} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gtest_main)
    if(ARG_LABELS)
        set(labels ${ARG_LABELS})
    else()
        set(labels unit)
    endif()
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS "${labels}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Tests on the X11 tests' display (label x11): real clients on the private Xvfb that the fixture of
# tests/platform/x11 starts, one test at a time, with the X11 tests' support.
function(skaf_add_x11_test target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_executable(${target} ${PROJECT_SOURCE_DIR}/tests/platform/x11/X11TestSupport.cpp ${ARG_SOURCES})
    skaf_target_defaults(${target})
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/platform/x11)
    target_link_libraries(${target} PRIVATE
        ${ARG_LINKS} skaf_platform_x11 skaf_test_support GTest::gtest GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
        SKAF_X11_DISPLAY_STATE="${CMAKE_BINARY_DIR}/tests/platform/x11/display")
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS x11 FIXTURES_REQUIRED skaf_x11_display RESOURCE_LOCK skaf_x11_display TIMEOUT 60)
endfunction()

function(skaf_add_benchmark target)
    add_executable(${target} ${ARGN})
    skaf_target_defaults(${target})
    target_link_libraries(${target} PRIVATE benchmark::benchmark benchmark::benchmark_main)
    skaf_run_benchmark_in_tests(${target})
endfunction()

# A benchmark program runs whole once in the test suite, each benchmark briefly, so that none stops
# working unnoticed: a program that aborts fails its test. Alone, since several start displays and whole
# programs of their own; with no display given, so that those that need one make their own.
function(skaf_run_benchmark_in_tests target)
    add_test(NAME ${target} COMMAND ${target} --benchmark_min_time=0.01)
    set_tests_properties(${target} PROPERTIES LABELS bench RUN_SERIAL TRUE TIMEOUT 900 ENVIRONMENT "DISPLAY=")
endfunction()
