# skipped.cmake - run by ctest after its summary: prints, once each, the
# line that a skipped group of tests printed ("GROUP: skipped, needs WHAT"),
# read from ctest's log in DIR, with what to run.
cmake_minimum_required(VERSION 3.18)
file(GLOB logs "${DIR}/LastTest*.log")
set(said "")
foreach(log IN LISTS logs)
  file(STRINGS "${log}" lines REGEX "^[a-z]+: skipped, needs ")
  foreach(line IN LISTS lines)
    if(NOT line IN_LIST said)
      list(APPEND said "${line}")
      message(NOTICE "${line}: run ./scripts/test, which provides it")
    endif()
  endforeach()
endforeach()
