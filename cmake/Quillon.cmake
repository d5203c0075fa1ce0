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

# qod_test(<name> LABELS <label...> SOURCES <src...> LIBS <lib...>)
# One GoogleTest executable, its cases registered with CTest and labelled.
function(qod_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} qod_warnings GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES TIMEOUT ${T_TIMEOUT}
    DISCOVERY_TIMEOUT 60)
  # The labels are set by a file CTest reads after the discovered tests: a
  # list given through the discovery's properties keeps only its first label.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labels_file}
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
endfunction()

# The comment of this version's record: its date as dd.mm.yyyy, shown by the
# programs' version labels after the version number.
set(QOD_DATA_VERSIONE "10.12.2026")
