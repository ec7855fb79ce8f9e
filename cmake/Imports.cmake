# Fails the build when a shipped binary imports a DLL that is not part of every Windows, or when one of its
# import slots, ordinary or delay-loaded, is unresolved in the file.
set(QUILO_SYSTEM_DLLS
  kernel32 user32 gdi32 advapi32 shell32 shlwapi comctl32 comdlg32 ole32 oleaut32 olepro32 uuid
  ws2_32 wsock32 wininet atl msvcrt version winmm imm32 urlmon oleacc)
find_program(QUILO_OBJDUMP NAMES ${QUILO_TRIPLE}-objdump REQUIRED)
find_program(QUILO_PYTHON3 python3 REQUIRED)

function(quilo_check_imports target)
  # DLLs that quilo_delay_imports made delay-loaded are read from the link map (GNU ld leaves the delay
  # import directory of the header empty), so that they are checked as well.
  get_target_property(map ${target} QUILO_LINK_MAP)
  set(map_args)
  if(map)
    set(map_args --map ${map})
  else()
    set(map "")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${QUILO_OBJDUMP} -DFILE=$<TARGET_FILE:${target}> -DMAP=${map}
            "-DALLOWED=${QUILO_SYSTEM_DLLS}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckImports.cmake
    COMMAND ${QUILO_PYTHON3} ${PROJECT_SOURCE_DIR}/cmake/CheckImportSlots.py $<TARGET_FILE:${target}> ${map_args}
    VERBATIM)
endfunction()

# quilo_delay_imports(target dll...): the target loads each of these system DLLs at the first call into it
# instead of at process start (a second instance of the player, which only hands its link over, never
# needs them). Each is still listed in the binary's delay-import table, which the import check reads too.
find_program(QUILO_NM NAMES ${QUILO_TRIPLE}-nm REQUIRED)
find_program(QUILO_DLLTOOL NAMES ${QUILO_TRIPLE}-dlltool REQUIRED)
find_program(QUILO_OBJCOPY NAMES ${QUILO_TRIPLE}-objcopy REQUIRED)
function(quilo_delay_imports target)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delayimp)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE -Wl,-Map=${map})
  set_target_properties(${target} PROPERTIES QUILO_LINK_MAP ${map})
  set(x86 OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(x86 ON)
  endif()
  foreach(dll IN LISTS ARGN)
    if(dll STREQUAL "atl")
      set(lib ${QUILO_ATL_LIB})
    else()
      find_library(QUILO_IMPORT_${dll} ${dll} REQUIRED)
      set(lib ${QUILO_IMPORT_${dll}})
    endif()
    set(out ${CMAKE_BINARY_DIR}/delayimp/lib${dll}_delay.a)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DNM=${QUILO_NM} -DDLLTOOL=${QUILO_DLLTOOL} -DOBJCOPY=${QUILO_OBJCOPY} -DLIB=${lib} -DDLL=${dll}.dll
              -DDEF=${CMAKE_BINARY_DIR}/delayimp/${dll}.def -DOUT=${out} -DX86=${x86}
              -P ${PROJECT_SOURCE_DIR}/cmake/MakeDelayLib.cmake
      DEPENDS ${lib} ${PROJECT_SOURCE_DIR}/cmake/MakeDelayLib.cmake
      VERBATIM)
    add_custom_target(${target}_delay_${dll} DEPENDS ${out})
    if(TARGET atl_import)
      add_dependencies(${target}_delay_${dll} atl_import)
    endif()
    add_dependencies(${target} ${target}_delay_${dll})
    # Called before the target links anything else, so that its own calls bind here and not to the ordinary
    # import libraries its dependencies bring; the framework's link interface places them again right after
    # the framework library (see framework/CMakeLists.txt).
    target_link_libraries(${target} PRIVATE ${out})
    set_property(TARGET ${target} APPEND PROPERTY QUILO_DELAY_LIBS ${out})
  endforeach()
endfunction()

# quilo_check_wide_imports(target): fails the build when the target imports a narrow (...A) function that
# passes text through the system's code page (cmake/CheckWideImports.py holds the allowlist).
option(QUILO_CHECK_WIDE_IMPORTS "Fail the build on narrow text imports of the player" ON)
function(quilo_check_wide_imports target)
  if(QUILO_CHECK_WIDE_IMPORTS)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${QUILO_PYTHON3} ${PROJECT_SOURCE_DIR}/cmake/CheckWideImports.py $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
