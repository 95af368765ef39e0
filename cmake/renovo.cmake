# Build rules shared by every Renovo target (not applied to GoogleTest).

# Applies our warnings, the cp932 execution charset and, on Windows, the static,
# section-collected link that keeps Renovo.exe small and free of extra DLLs.
function(renovo_target_flags target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Werror -finput-charset=UTF-8 -fexec-charset=CP932)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(WIN32)
    target_compile_definitions(${target} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # The shipped build runs on Windows XP SP3: the headers then refuse any newer call.
      target_compile_definitions(${target} PUBLIC _WIN32_WINNT=0x0501 WINVER=0x0501)
    endif()
    target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
  endif()
endfunction()

# renovo_library(NAME name SOURCES ... [LIBS ...])
function(renovo_library)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_library(${A_NAME} STATIC ${A_SOURCES})
  renovo_target_flags(${A_NAME})
  if(A_LIBS)
    target_link_libraries(${A_NAME} PUBLIC ${A_LIBS})
  endif()
endfunction()

# renovo_test(NAME name SOURCES ... [LIBS ...]): one GoogleTest program, one ctest entry,
# so that Wine starts one process per module rather than one per test case.
function(renovo_test)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  renovo_target_flags(${A_NAME})
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${A_NAME} COMMAND ${A_NAME} --gtest_brief=1)
  set_tests_properties(${A_NAME} PROPERTIES TIMEOUT 600)
endfunction()

# renovo_at_code_pages(TEST test [FILTER gtest-filter]): the test's program runs twice more, at
# the system code pages Wine takes from the locale: 1252 (en_US) and 65001 (hi_IN, which has
# no code page of its own).
function(renovo_at_code_pages)
  cmake_parse_arguments(A "" "TEST;FILTER" "" ${ARGN})
  set(filter "")
  if(A_FILTER)
    set(filter "--gtest_filter=${A_FILTER}")
  endif()
  foreach(pair "1252;en_US.UTF-8" "65001;hi_IN.UTF-8")
    list(GET pair 0 cp)
    list(GET pair 1 locale)
    add_test(NAME ${A_TEST}_cp${cp} COMMAND ${A_TEST} --gtest_brief=1 ${filter})
    set_tests_properties(${A_TEST}_cp${cp} PROPERTIES TIMEOUT 600
                         ENVIRONMENT "LC_ALL=${locale};LANG=${locale};RENOVO_CODE_PAGE=${cp}")
  endforeach()
endfunction()

# renovo_small_disk(TEST test SIZE size): `test` runs with a tmpfs of `size` of its own, named
# by RENOVO_SMALL_DISK, mounted before it and unmounted after it however it ends.
function(renovo_small_disk)
  cmake_parse_arguments(A "" "TEST;SIZE" "" ${ARGN})
  set(dir ${CMAKE_BINARY_DIR}/small-disk/${A_TEST})
  set(script ${PROJECT_SOURCE_DIR}/tools/small-disk.sh)
  add_test(NAME ${A_TEST}_mount COMMAND bash ${script} mount ${dir} ${A_SIZE})
  add_test(NAME ${A_TEST}_unmount COMMAND bash ${script} unmount ${dir})
  set_tests_properties(${A_TEST}_mount PROPERTIES FIXTURES_SETUP ${A_TEST}_disk)
  set_tests_properties(${A_TEST}_unmount PROPERTIES FIXTURES_CLEANUP ${A_TEST}_disk)
  set_tests_properties(${A_TEST} PROPERTIES FIXTURES_REQUIRED ${A_TEST}_disk
                       ENVIRONMENT RENOVO_SMALL_DISK=${dir})
endfunction()
