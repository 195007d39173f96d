# add_unit_test(NAME <name> SOURCES <files...> LIBS <targets...> [QT] [LABELS <label>])
#
# One GoogleTest executable per area. Tests are discovered when ctest runs, so a
# build never executes test code. QT marks widget tests: they link QtTest and
# run on the offscreen platform with the one Qt test main of tests/common.
# Every test program links the test kit (tests/common).
if(CMAKE_CROSSCOMPILING)
  # No prebuilt GoogleTest for the target: build Debian's sources with it.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

set(ZELMARO_TEST_QPA "offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/common/screen-1280x1024.json")

function(add_unit_test)
  cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_QT)
    add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/common/QtTestMain.cpp)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} zelmaro_testkit GTest::gmock GTest::gtest)
  else()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} zelmaro_testkit GTest::gmock GTest::gtest_main)
  endif()
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    ZELMARO_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    ZELMARO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # gtest_discover_tests (PRE_TEST) flattens list-valued properties, so each
  # property carries one value: one label, one environment entry. The
  # sanitizer options come from scripts/test.sh's environment instead.
  set(env "")
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test Qt6::Widgets)
    set_target_properties(${T_NAME} PROPERTIES AUTOMOC ON)
    # A screen the window fits at its design size; tests of smaller ones
    # choose their own.
    set(env "QT_QPA_PLATFORM=${ZELMARO_TEST_QPA}")
  endif()
  set(label unit)
  if(T_LABELS)
    list(GET T_LABELS 0 label)
  endif()
  set(properties LABELS ${label} TIMEOUT 300)
  if(env)
    list(APPEND properties ENVIRONMENT ${env})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()
