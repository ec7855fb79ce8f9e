# Tests are Windows programs run under Wine: CTest starts each through scripts/wine-exec.
set(QUILO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix the tests run in")
set(QUILO_WINE_EXEC ${CMAKE_BINARY_DIR}/wine-exec)
# The 64-bit build's tests start the 64-bit loader straight away (scripts/wine64), the 32-bit build's
# Debian's launcher.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QUILO_WINE_DIR ${PROJECT_SOURCE_DIR}/scripts/wine64)
else()
  set(QUILO_WINE_DIR "")
endif()
configure_file(${PROJECT_SOURCE_DIR}/scripts/wine-exec.in ${QUILO_WINE_EXEC} @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILO_WINE_EXEC})

set(QUILO_GTEST_ROOT /usr/src/googletest/googletest)
add_library(gtest STATIC ${QUILO_GTEST_ROOT}/src/gtest-all.cc ${QUILO_GTEST_ROOT}/src/gtest_main.cc)
target_include_directories(gtest SYSTEM PUBLIC ${QUILO_GTEST_ROOT}/include PRIVATE ${QUILO_GTEST_ROOT})
target_compile_options(gtest PRIVATE -w)

# quilo_add_test(name SOURCES ... [LIBS ...] [ISOLATED] [COPY file...] [RESOURCE_LOCK lock...] [TIMEOUT s])
# ISOLATED runs a copy of the test program in a fresh temporary folder (with the COPY files beside it),
# for code that keeps its files next to the program.
function(quilo_add_test name)
  cmake_parse_arguments(T "ISOLATED" "TIMEOUT" "SOURCES;LIBS;COPY;RESOURCE_LOCK;DEPENDS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE gtest ${T_LIBS})
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  # A loopback port is the machine's, not this build tree's: another tree's tests (the other build's, or
  # another checkout's) wait for it too.
  set(locks)
  foreach(lock IN LISTS T_RESOURCE_LOCK)
    if(lock MATCHES "^port")
      list(APPEND locks --lock ${lock})
    elseif(lock STREQUAL "x_display")
      # Real input and screenshots: the screen display, which no other test program shares.
      list(APPEND locks --screen)
    endif()
  endforeach()
  set(copies)
  if(T_ISOLATED)
    list(APPEND copies --isolated)
    foreach(file IN LISTS T_COPY)
      list(APPEND copies --copy ${file})
    endforeach()
  endif()
  add_test(NAME ${name} COMMAND ${QUILO_WINE_EXEC} ${locks} ${copies} $<TARGET_FILE:${name}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()
