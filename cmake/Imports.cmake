# Fails the build when a shipped binary imports a DLL that is not part of every Windows.
set(QUILO_SYSTEM_DLLS
  kernel32 user32 gdi32 advapi32 shell32 shlwapi comctl32 comdlg32 ole32 oleaut32 olepro32 uuid
  ws2_32 wsock32 wininet atl msvcrt version winmm imm32 urlmon)
find_program(QUILO_OBJDUMP NAMES ${QUILO_TRIPLE}-objdump REQUIRED)

function(quilo_check_imports target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${QUILO_OBJDUMP} -DFILE=$<TARGET_FILE:${target}>
            "-DALLOWED=${QUILO_SYSTEM_DLLS}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckImports.cmake
    VERBATIM)
endfunction()
