# tavi_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI])
#   GUI: the test needs a QApplication (offscreen); it gets the shared test main.
#   Otherwise it gets GoogleTest's own main, the label "unit" and a place in the target
#   unit_tests: what CI runs again under the sanitizers.
find_package(GTest REQUIRED)
include(GoogleTest)
function(tavi_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_GUI)
    target_link_libraries(${name} PRIVATE ${T_LIBS} tavi_gui_test_main GTest::gtest Qt6::Test Qt6::Widgets)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    if(NOT TARGET unit_tests)
      add_custom_target(unit_tests)
    endif()
    add_dependencies(unit_tests ${name})
    set(labels LABELS unit)
  endif()
  target_compile_definitions(${name} PRIVATE
    TAVI_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    TAVI_APP_DIR="${TAVI_APP_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${labels}
    TIMEOUT 300)
endfunction()
