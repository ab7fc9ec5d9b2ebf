# The host's aircraft container is reached through member functions of a
# 32-bit program built with the Microsoft compiler: the object goes in ECX
# and the callee removes its stack arguments. Compile the shipped host-call
# seam for i686 as the release build does and read the code GCC made of it:
#   - count and the simulation record (no arguments but the object): the
#     object is loaded into ECX and nothing else is handed over;
#   - get (the object and an index): the object is loaded into ECX and,
#     right after the call, the caller takes back the 4 bytes the callee
#     removed (a __cdecl call would leave them to the caller instead, and a
#     call with the object on the stack would make it 8).
# Arguments: -DCXX=i686 compiler -DSOURCE=project folder -DWORK=scratch folder
if(NOT CXX)
  message(FATAL_ERROR "no i686 compiler (i686-w64-mingw32-g++) found")
endif()
file(MAKE_DIRECTORY ${WORK})
set(asm ${WORK}/host_calls_win32.s)
execute_process(
  COMMAND ${CXX} -std=c++20 -O3 -DNDEBUG -DWIN32_LEAN_AND_MEAN -DNOMINMAX -fno-exceptions -fno-rtti
          -I${SOURCE}/src -I${SOURCE} -S -o ${asm} ${SOURCE}/src/platform/win32/host_calls_win32.cpp
  RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compiling the seam for i686 failed:\n${err}")
endif()
file(READ ${asm} text)

# The instructions of one function: from its label to the end of its frame info.
function(body name out)
  string(FIND "${text}" "${name}:" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name} not found in the i686 code")
  endif()
  string(SUBSTRING "${text}" ${at} -1 rest)
  string(FIND "${rest}" ".cfi_endproc" end)
  string(SUBSTRING "${rest}" 0 ${end} rest)
  string(REGEX REPLACE "\n\t\\.[^\n]*" "" rest "${rest}")  # assembler directives
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

set(failed "")
foreach(fn __Z26PlatHostCallContainerCountjj __Z28PlatHostCallSimulationRecordjj)
  body(${fn} code)
  if(NOT code MATCHES "movl\t8\\(%esp\\), %ecx")
    list(APPEND failed "${fn}: the object is not handed over in ECX")
  endif()
endforeach()
body(__Z24PlatHostCallContainerGetjji code)
if(NOT code MATCHES "movl\t[0-9]+\\(%esp\\), %ecx")
  list(APPEND failed "get: the object is not handed over in ECX")
endif()
if(NOT code MATCHES "call\t[^\n]*\n\tsubl\t\\$4, %esp")
  list(APPEND failed "get: the callee is not left to remove its 4-byte index")
endif()
if(failed)
  string(REPLACE ";" "\n" failed "${failed}")
  message(FATAL_ERROR "host member calls are not __thiscall:\n${failed}\n(code in ${asm})")
endif()
message(STATUS "host member calls pass the object in ECX, callee-cleaned")
