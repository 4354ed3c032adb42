# Windows test executables run under Wine, in a prefix and on an Xvfb display of
# this build's own. One fixture starts them for the whole CTest run and stops them
# at its end, so no Wine or X process outlives the tests.
set(WINE_SESSION ${CMAKE_CURRENT_LIST_DIR}/harness/wine-session)
set(WINE_SESSION_DIR ${CMAKE_BINARY_DIR}/wine)

add_test(NAME wine_session_start COMMAND ${WINE_SESSION} start ${WINE_SESSION_DIR})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
add_test(NAME wine_session_stop COMMAND ${WINE_SESSION} stop ${WINE_SESSION_DIR})
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# add_wine_test(NAME TARGET [args...])
function(add_wine_test name target)
  add_test(NAME ${name}
    COMMAND ${WINE_SESSION} run ${WINE_SESSION_DIR} $<TARGET_FILE:${target}> ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 180)
endfunction()
