# fs9host's AI aircraft container (acontain.dll) stands for the simulator's,
# whose member functions a 32-bit Microsoft compiler built: the object comes
# in ECX and the callee removes its stack arguments. Compile the container
# for i686 as the win32 build does and read the code GCC made of it:
#   - count, get and entry 4 each check the object they find in ECX;
#   - get (the object and an index) returns with `ret $4`, removing the index.
# Together with the module's side (check_thiscall.cmake) this holds both ends
# of the call to the convention where no 32-bit wine runs.
# Arguments: -DCXX=i686 compiler -DSOURCE=project folder -DWORK=scratch folder
if(NOT CXX)
  message(FATAL_ERROR "no i686 compiler (i686-w64-mingw32-g++) found")
endif()
file(MAKE_DIRECTORY ${WORK})
set(asm ${WORK}/acontain.s)
execute_process(
  COMMAND ${CXX} -std=c++20 -O2 -DNDEBUG -msse2 -mfpmath=sse -mstackrealign -I${SOURCE}/src -I${SOURCE}
          -S -o ${asm} ${SOURCE}/tools/fs9host/acontain/acontain.cpp
  RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compiling the container for i686 failed:\n${err}")
endif()
file(READ ${asm} text)

# The instructions of one function: from its label to the end of its frame info.
function(body name out)
  string(REGEX MATCH "\n(__ZN[^\n:]*${name}[^\n:]*):" label "${text}")
  if(NOT label)
    message(FATAL_ERROR "${name} not found in the i686 code")
  endif()
  string(FIND "${text}" "${label}" at)
  string(SUBSTRING "${text}" ${at} -1 rest)
  string(FIND "${rest}" ".cfi_endproc" end)
  string(SUBSTRING "${rest}" 0 ${end} rest)
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

set(failed "")
foreach(fn ContainerCountEP ContainerGetEP)
  body(${fn} code)
  if(NOT code MATCHES "cmpl\t\\$[^\n]*g_container[^\n]*, %ecx")
    list(APPEND failed "${fn}: does not take its object from ECX")
  endif()
endforeach()
body(AircraftSimulationRecordEP code)
if(NOT code MATCHES "cmpl\t\\$[^\n]*g_objects[^\n]*, %ecx")
  list(APPEND failed "entry 4: does not take its object from ECX")
endif()
body(ContainerGetEP code)
if(NOT code MATCHES "ret\t\\$4")
  list(APPEND failed "get: does not remove its 4-byte index (ret $4)")
endif()
body(ContainerCountEP code)
if(code MATCHES "ret\t\\$")
  list(APPEND failed "count: removes stack arguments it does not have")
endif()
if(failed)
  string(REPLACE ";" "\n" failed "${failed}")
  message(FATAL_ERROR "the container's member functions are not __thiscall:\n${failed}\n(code in ${asm})")
endif()
message(STATUS "the container's member functions take the object in ECX, get removes its index")
