# cmake -DNM=... -DDLLTOOL=... -DOBJCOPY=... -DLIB=<import library> -DDLL=<name.dll> -DDEF=<out.def> -DOUT=<out.a>
#       [-DX86=ON] -P MakeDelayLib.cmake
# Makes a delay-load import library with every function of a system import library: the DLL is then
# loaded at the first call of one of them instead of at process start.
cmake_policy(SET CMP0057 NEW)
execute_process(COMMAND ${NM} ${LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIB}")
endif()
string(REGEX MATCHALL "[\r\n][0-9a-fA-F]* ?I __imp_[^\r\n]+" imports "\n${symbols}")
set(def "LIBRARY ${DLL}\nEXPORTS\n")
set(names)
foreach(line IN LISTS imports)
  string(FIND "${line}" "I __imp_" at)
  math(EXPR at "${at} + 8")
  string(SUBSTRING "${line}" ${at} -1 name)
  # 32-bit names carry the C prefix "_" (and stdcall's "@n", which dlltool -k drops from the import).
  if(X86 AND name MATCHES "^_")
    string(SUBSTRING "${name}" 1 -1 name)
  endif()
  if(NOT name IN_LIST names)
    list(APPEND names ${name})
    string(APPEND def "${name}\n")
  endif()
endforeach()
if(NOT names)
  message(FATAL_ERROR "no functions found in ${LIB}")
endif()
file(WRITE ${DEF} "${def}")
execute_process(COMMAND ${DLLTOOL} -k -d ${DEF} -y ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dlltool could not make ${OUT}")
endif()
# The i386 linker drops the code section of an import-library member when nothing names its symbol, taking
# it for the unused "jmp *__imp_f" stub of an ordinary import. A delay-load thunk is never named (callers go
# through __imp_f), but its import slot starts out pointing at it: dropped, the slot stays 0 and the first
# call jumps to address 0. As a data section named .text$... the thunk escapes that pruning and still lands
# in the executable .text output section.
if(X86)
  execute_process(COMMAND ${OBJCOPY} "--rename-section" ".text=.text$dlthunk,alloc,load,readonly,data,contents"
                          ${OUT} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objcopy could not rename the thunk sections of ${OUT}")
  endif()
endif()
