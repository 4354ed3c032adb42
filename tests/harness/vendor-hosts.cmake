# cmake -P vendor-hosts.cmake: the vendor host values the build takes, and those
# that stop the configure step. Each value runs in a child so that its
# FATAL_ERROR can be seen.
if(DEFINED VALUE)
  include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/VendorUrls.cmake)
  vendor_site("${VALUE}" url name)
  message("${url} ${name}")
  return()
endif()

# value, then what the build makes of it: "URL NAME", or "refused"
set(cases
  "crm.example.com" "http://crm.example.com crm.example.com"
  "127.0.0.1:18931" "http://127.0.0.1:18931 127.0.0.1"
  "https://crm.vendor.example" "https://crm.vendor.example crm.vendor.example"
  "https://localhost:18934" "https://localhost:18934 localhost"
  "http://www.vendor.example:8080" "http://www.vendor.example:8080 www.vendor.example"
  "ftp://crm.vendor.example" "refused"
  "HTTPS://crm.vendor.example" "refused"
  "https://" "refused"
  "https://crm.vendor.example/path" "refused"
  "crm vendor" "refused"
  "-crm.vendor.example" "refused"
  "crm.vendor.example:" "refused"
  "crm.vendor.example:0" "refused"
  "crm.vendor.example:65536" "refused")

set(failed 0)
list(LENGTH cases count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET cases ${i} value)
  list(GET cases ${j} wanted)
  execute_process(COMMAND ${CMAKE_COMMAND} "-DVALUE=${value}" -P ${CMAKE_CURRENT_LIST_FILE}
                  RESULT_VARIABLE result ERROR_VARIABLE said)
  string(STRIP "${said}" said)
  if(NOT result EQUAL 0)
    set(got "refused")
    if(NOT said MATCHES "Vendor host \"")
      set(got "refused without saying why: ${said}")
    endif()
  else()
    set(got "${said}")
  endif()
  if(NOT got STREQUAL wanted)
    message("\"${value}\": got \"${got}\", wanted \"${wanted}\"")
    math(EXPR failed "${failed} + 1")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "${failed} vendor host values handled wrongly")
endif()
message("vendor hosts: all handled as wanted")
