# add_product_executable(NAME SOURCES...): an executable built exactly as the product
# is, from the targets src/ defines: its own start-up (startup/Startup.cpp) instead of
# the toolchain's, the program's flags, stripped, without a link time stamp (the
# same sources make the same bytes).
function(add_product_executable name)
  set(src ${PROJECT_SOURCE_DIR}/src)
  add_executable(${name} WIN32 ${src}/startup/Startup.cpp ${src}/startup/Heap.cpp ${ARGN})
  target_link_libraries(${name} PRIVATE program_flags dr_windows)
  target_link_options(${name} PRIVATE -nostartfiles -Wl,--disable-auto-import -s -Wl,--no-insert-timestamp)
endfunction()

# add_download_request(NAME WEB_HOST CRM_HOST [RESOURCES]): the program built for the
# given vendor hosts (see VendorUrls.cmake); RESOURCES names another resource library
# than dr_resources.
function(add_download_request name web crm)
  set(resources dr_resources)
  if(ARGC GREATER 3)
    set(resources ${ARGV3})
  endif()
  add_product_executable(${name} ${PROJECT_SOURCE_DIR}/src/startup/Main.cpp $<TARGET_OBJECTS:${resources}>)
  vendor_urls(${name} "${web}" "${crm}")
endfunction()
