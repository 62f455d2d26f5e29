# Every outside library comes from Debian's packages (scripts/setup installs them).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(LibLZMA REQUIRED)
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)

pkg_check_modules(AGG REQUIRED IMPORTED_TARGET libagg)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libswresample libavutil)

find_package(Qt6 REQUIRED COMPONENTS Core Gui)
if(KELMORA_APP)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
endif()

if(NOT KELMORA_FUZZ)
  find_package(GTest REQUIRED)
  if(KELMORA_BENCH)
    find_package(benchmark REQUIRED)
  endif()
endif()

# AGG's headers are third-party: include them as system headers so our warning flags don't apply.
get_target_property(_agg_inc PkgConfig::AGG INTERFACE_INCLUDE_DIRECTORIES)
set_target_properties(PkgConfig::AGG PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${_agg_inc}")

# kelmora_add_test(NAME SOURCES... LIBS ...): one GoogleTest executable, one CTest entry.
function(kelmora_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;KELMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR};KELMORA_CORPUS=${PROJECT_SOURCE_DIR}/../shared/corpus")
endfunction()

# kelmora_add_library(NAME DEPS...): a static library of every .cpp under the current folder
# (globbed, so parallel work on one folder does not fight over this file).
function(kelmora_add_library name)
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_srcs)
    add_library(${name} STATIC ${_srcs})
    target_link_libraries(${name} PUBLIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# kelmora_add_folder_tests(NAME LIBS...): one test executable of every *Test.cpp in the current folder.
function(kelmora_add_folder_tests name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*Tests.cpp)
  if(_srcs)
    kelmora_add_test(${name} SOURCES ${_srcs} LIBS ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "KELMORA_SEED_DIR=${CMAKE_BINARY_DIR}/fuzz-seeds")
  endif()
endfunction()
