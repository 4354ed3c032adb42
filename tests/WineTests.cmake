# Windows test executables run under Wine, in a prefix and on an Xvfb display of
# this build's own. One fixture starts them for the whole CTest run and stops them
# at its end, so no Wine or X process outlives the tests. On a machine that cannot
# run this build's programs under Wine (no 32-bit support), the tests that need
# Wine exit 77 and are reported as skipped.
set(WINE_SESSION ${CMAKE_CURRENT_LIST_DIR}/harness/wine-session)
set(WINE_SESSION_DIR ${CMAKE_BINARY_DIR}/wine)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(WINE_ARCH win64)
else()
  set(WINE_ARCH win32)
endif()

# The prefix it makes is kept as the one that sessions of a test's own copy
# (own_wine_session): a run makes one prefix, a slow step on a 32-bit Wine.
set(WINE_TEMPLATE ${WINE_SESSION_DIR}/template)
add_test(NAME wine_session_start COMMAND ${WINE_SESSION} start ${WINE_SESSION_DIR} ${WINE_ARCH})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 600
  ENVIRONMENT DR_WINE_TEMPLATE=${WINE_TEMPLATE})
add_test(NAME wine_session_stop COMMAND ${WINE_SESSION} stop ${WINE_SESSION_DIR})
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# needs_wine(TEST...): the tests run in the session, or are skipped without one.
function(needs_wine)
  set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77)
endfunction()

# own_wine_session(TEST): the test starts a session of its own, from the kept prefix,
# once the shared one has made it; it runs beside the shared session's tests.
function(own_wine_session name)
  needs_wine(${name})
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT DR_WINE_TEMPLATE=${WINE_TEMPLATE})
endfunction()

# add_wine_test(NAME TARGET [args...])
function(add_wine_test name target)
  add_test(NAME ${name}
    COMMAND ${WINE_SESSION} run ${WINE_SESSION_DIR} $<TARGET_FILE:${target}> ${ARGN})
  needs_wine(${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 180)
endfunction()
