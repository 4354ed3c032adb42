# add_download_request(NAME WEB_HOST CRM_HOST [RESOURCES]): the program built for the
# given vendor hosts (see VendorUrls.cmake), from the targets src/ defines; RESOURCES
# names another resource library than dr_resources.
function(add_download_request name web crm)
  set(resources dr_resources)
  if(ARGC GREATER 3)
    set(resources ${ARGV3})
  endif()
  set(src ${CMAKE_SOURCE_DIR}/src)
  add_executable(${name} WIN32 ${src}/form/Startup.cpp ${src}/form/Main.cpp ${src}/core/Heap.cpp
    $<TARGET_OBJECTS:${resources}>)
  target_link_libraries(${name} PRIVATE program_flags)
  # The program starts in form/Startup.cpp, without the toolchain's start-up code.
  target_link_options(${name} PRIVATE -nostartfiles -Wl,--disable-auto-import)
  vendor_urls(${name} "${web}" "${crm}")
  target_link_libraries(${name} PRIVATE dr_windows)
  # Stripped, and without a link time stamp: the same sources make the same bytes.
  target_link_options(${name} PRIVATE -s -Wl,--no-insert-timestamp)
endfunction()
