# Helpers that keep one library target per source folder and one test
# executable per test folder, so adding a file never means editing CMake.
#
#   src/<folder>/*.cpp        portable: both builds
#   src/<folder>/win/*.cpp    Windows only (may include <windows.h>)
#   src/<folder>/host/*.cpp   native build only (test implementations of the platform seam)

set(KELAR_WARNINGS -Wall -Wextra)
if(KELAR_WERROR)
  list(APPEND KELAR_WARNINGS -Werror)
endif()

function(kelar_common_options target)
  target_compile_options(${target} PRIVATE ${KELAR_WARNINGS})
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  endif()
endfunction()

function(kelar_sources out folder)
  file(GLOB srcs CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(WIN32)
    file(GLOB platform_srcs CONFIGURE_DEPENDS ${folder}/win/*.cpp)
  else()
    file(GLOB platform_srcs CONFIGURE_DEPENDS ${folder}/host/*.cpp)
  endif()
  set(${out} ${srcs} ${platform_srcs} PARENT_SCOPE)
endfunction()

# kelar_add_library(<folder> <dependency folders>...) -> target kelar_<folder>
function(kelar_add_library folder)
  kelar_sources(srcs ${PROJECT_SOURCE_DIR}/src/${folder})
  set(target kelar_${folder})
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
    kelar_common_options(${target})
    foreach(dep IN LISTS ARGN)
      target_link_libraries(${target} PUBLIC kelar_${dep})
    endforeach()
    if(WIN32)
      target_link_libraries(${target} PUBLIC ole32 oleaut32 uuid advapi32 shlwapi)
    endif()
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
    foreach(dep IN LISTS ARGN)
      target_link_libraries(${target} INTERFACE kelar_${dep})
    endforeach()
  endif()
endfunction()

# kelar_add_tests(<folder> [LIBS targets...] [DLLS targets...])
# One GoogleTest executable per test folder, labelled with the folder name.
# tests/<folder>/*_test.cpp run in both builds, tests/<folder>/win/*_test.cpp
# only under Wine. DLLS names targets (fake vendor libraries and the like)
# that must be built before the tests run.
function(kelar_add_tests folder)
  cmake_parse_arguments(ARG "" "" "LIBS;DLLS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cpp)
  if(WIN32)
    file(GLOB win_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/win/*_test.cpp)
    list(APPEND srcs ${win_srcs})
  endif()
  if(NOT srcs)
    return()
  endif()
  set(target ${folder}_tests)
  add_executable(${target} ${srcs})
  kelar_common_options(${target})
  target_link_libraries(${target} PRIVATE kelar_test_harness ${ARG_LIBS})
  if(ARG_DLLS)
    add_dependencies(${target} ${ARG_DLLS})
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${folder} TIMEOUT 120)
endfunction()
