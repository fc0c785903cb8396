# Compares the export table of a DLL, as objdump -p lists it, with the names of its .def
# file: the same names, undecorated, and nothing else.
#   cmake -DOBJDUMP=objdump -DDLL=file.dll -DDEF=file.def -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed: ${status}")
endif()

# The name table follows "[Ordinal/Name Pointer] Table", one "[ n] Name" line each.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at LESS 0)
  message(FATAL_ERROR "${DLL} has no export name table")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
string(REGEX MATCHALL "\n[ \t]*\\[[ 0-9]+\\] [^\n]+" entries "${table}")
set(exported "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^\n[ \t]*\\[[ 0-9]+\\] " "" name "${entry}")
  string(STRIP "${name}" name)
  list(APPEND exported "${name}")
endforeach()

file(STRINGS ${DEF} lines)
set(expected "")
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line AND NOT line STREQUAL "EXPORTS")
    list(APPEND expected "${line}")
  endif()
endforeach()

list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "exports of ${DLL}:\n  ${exported}\nexpected:\n  ${expected}")
endif()
list(LENGTH exported count)
message(STATUS "${DLL}: exactly the ${count} names of ${DEF}")
