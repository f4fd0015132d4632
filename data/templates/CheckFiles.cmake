# Fails when one of FILES (names separated by "|") was not made.
string(REPLACE "|" ";" _files "${FILES}")
foreach(_file IN LISTS _files)
  if(NOT EXISTS "${_file}")
    message(FATAL_ERROR "not made: ${_file}")
  endif()
endforeach()
