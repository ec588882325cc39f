# skipped.cmake - run by ctest after its summary: prints the line that each
# skipped group of tests left in DIR, saying what it lacks and what to run.
file(GLOB notes "${DIR}/*")
foreach(note IN LISTS notes)
  file(READ "${note}" line)
  string(STRIP "${line}" line)
  message(NOTICE "${line}")
endforeach()
