# skipped.cmake - run by ctest after its summary: for each group of tests
# that skipped, what it needs, as it left it in DIR/GROUP, and what to run.
file(GLOB notes "${DIR}/*")
foreach(note IN LISTS notes)
  get_filename_component(group "${note}" NAME)
  file(READ "${note}" needs)
  string(STRIP "${needs}" needs)
  message(NOTICE "${group}: skipped, needs ${needs}: run ./scripts/test, which provides it")
endforeach()
