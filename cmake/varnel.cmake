# Shared helpers for the library targets.

# varnel_add_tests(<library> <dir>): one GoogleTest executable per library, built from
# every *.cpp under <dir>, each test registered with CTest by name.
function(varnel_add_tests library dir)
  if(NOT VARNEL_BUILD_TESTS)
    return()
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(exe ${library}-tests)
  add_executable(${exe} ${sources})
  target_link_libraries(${exe} PRIVATE ${library} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${exe} PRIVATE ${dir} ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_compile_definitions(${exe} PRIVATE
    VARNEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VARNEL_TEST_DIR="${dir}")
  gtest_discover_tests(${exe} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# Every src/<area>/build.cmake of a library may add generated sources or settings of its
# own to the library target; including them here keeps the library's list file stable.
macro(varnel_include_parts library)
  file(GLOB _varnel_parts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*/build.cmake)
  foreach(_part IN LISTS _varnel_parts)
    include(${_part})
  endforeach()
endmacro()
