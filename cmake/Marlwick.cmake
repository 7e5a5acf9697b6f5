# Shared compile settings for every target of the project.

add_library(marlwick_options INTERFACE)
target_compile_options(marlwick_options INTERFACE -Wall -Wextra -Werror -Wno-unused-parameter)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports string concatenations of the standard library as
    # overlapping copies at -O3 (a known false positive); keep it a warning.
    target_compile_options(marlwick_options INTERFACE -Wno-error=restrict -Wno-error=maybe-uninitialized)
elseif(CMAKE_CXX_COMPILER_ID MATCHES Clang)
    # The class library's controls hide CWnd::Create with a Create of their
    # own, as the classes they stand in for do.
    target_compile_options(marlwick_options INTERFACE -Wno-overloaded-virtual)
endif()

if(MARLWICK_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

# marlwick_library(<name> <sources...>): a library of one folder, with its
# public headers under <folder>/include.
function(marlwick_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_link_libraries(${name} PRIVATE marlwick_options)
endfunction()

# marlwick_test(<name> <sources...> LIBS <libs...>): one GoogleTest executable
# of a folder's tests, registered with CTest.
function(marlwick_test name)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${T_LIBS} marlwick_test_support GTest::gtest_main marlwick_options)
    include(GoogleTest)
    # Every test runs on the headless display, even on a desktop.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ENVIRONMENT MARLWICK_DISPLAY=headless)
endfunction()

# marlwick_allocator(<target>): the program's allocator. A conversion makes
# and frees many small strings and buffers per message, which glibc's
# allocator serves with much bookkeeping of its free lists; jemalloc serves
# them from per-thread caches of size classes. The sanitizer build keeps its
# own allocator.
find_library(MARLWICK_JEMALLOC jemalloc)
function(marlwick_allocator target)
    if(MARLWICK_SANITIZE)
        return()
    endif()
    if(MARLWICK_JEMALLOC)
        target_link_libraries(${target} PRIVATE ${MARLWICK_JEMALLOC})
    else()
        message(WARNING "jemalloc (libjemalloc-dev) is missing: ${target} uses the C library's allocator")
    endif()
endfunction()
