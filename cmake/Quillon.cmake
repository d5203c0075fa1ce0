# Shared build settings and helpers.

add_library(qod_warnings INTERFACE)
target_compile_options(qod_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow=local -Wno-missing-field-initializers)
if(QOD_WERROR)
  target_compile_options(qod_warnings INTERFACE -Werror)
endif()

if(QOD_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# qod_test(<name> [TIMEOUT <s>] LABELS <label...> SOURCES <src...> LIBS <lib...>)
# One GoogleTest executable, its cases registered with CTest and labelled,
# each with a time limit of TIMEOUT seconds: a few times what its slowest
# case takes on a loaded machine (ctest -j16 on 8 cores), so that a case that
# hangs costs little time; 30 unless given, for cases that take seconds at
# most.
#
# CTest finds the cases through files that name neither this folder nor the
# build folder, so that a copied build folder runs its own programs.
function(qod_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 30)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} qod_warnings GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES TIMEOUT ${T_TIMEOUT}
    DISCOVERY_TIMEOUT 60)
  # The discovery writes the cases with this folder's path in them, and a
  # file for CTest that reads them by that path: CTest reads ours instead,
  # which reads them with the folder CTest is in put in the place of this one.
  get_property(letti DIRECTORY PROPERTY TEST_INCLUDE_FILES)
  list(FILTER letti EXCLUDE REGEX "/${name}\\[[0-9]+\\]_include\\.cmake$")
  set_property(DIRECTORY PROPERTY TEST_INCLUDE_FILES ${letti})
  # The labels are set here too: a list given through the discovery's
  # properties keeps only its first label.
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_ctest.cmake
"file(REAL_PATH . _qod_qui)
if(EXISTS \"\${_qod_qui}/${name}[1]_tests.cmake\")
  file(READ \"\${_qod_qui}/${name}[1]_tests.cmake\" _qod_casi)
  string(REPLACE \"${CMAKE_CURRENT_BINARY_DIR}\" \"\${_qod_qui}\" _qod_casi \"\${_qod_casi}\")
  cmake_language(EVAL CODE \"\${_qod_casi}\")
  if(${name}_TESTS)
    set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")
  endif()
else()
  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)
endif()
")
  # Relative: CTest reads it from the folder it is in.
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${name}_ctest.cmake)
endfunction()

# qod_programma_di_prova(<target> <macro> <program>): <macro> names the path
# of <program> under the build folder, where the tests find it at run time
# (qod::prova::Programma_Build), so that a copied build folder runs its own.
function(qod_programma_di_prova target macro programma)
  target_compile_definitions(${target} PRIVATE
    ${macro}="$<PATH:RELATIVE_PATH,$<TARGET_FILE:${programma}>,${CMAKE_BINARY_DIR}>")
  add_dependencies(${target} ${programma})
endfunction()

# The comment of this version's record: its date as dd.mm.yyyy, shown by the
# programs' version labels after the version number.
set(QOD_DATA_VERSIONE "10.12.2026")
