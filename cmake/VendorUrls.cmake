# The vendor's addresses, fixed when the program is built.

# vendor_site(VALUE URL_VAR NAME_VAR): a vendor host as the build takes it,
# [https://|http://]NAME[:PORT], into the site's URL (scheme, name and port;
# http without a scheme) and its bare name. Anything else stops the configure step.
function(vendor_site value url_var name_var)
  set(host_pattern "[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?")
  if(NOT value MATCHES "^((https?)://)?(${host_pattern})(:([0-9]+))?$")
    message(FATAL_ERROR "Vendor host \"${value}\" is not a host name with an optional :port, optionally "
                        "after https:// or http:// (for example https://crm.vendor.example or www.vendor.example:8080).")
  endif()
  set(scheme "${CMAKE_MATCH_2}")
  set(name "${CMAKE_MATCH_3}")
  set(port "${CMAKE_MATCH_6}")
  if(scheme STREQUAL "")
    set(scheme http)
  endif()
  if(NOT port STREQUAL "")
    if(port LESS 1 OR port GREATER 65535)
      message(FATAL_ERROR "Vendor host \"${value}\": the port must lie between 1 and 65535.")
    endif()
    set(port ":${port}")
  endif()
  set(${url_var} "${scheme}://${name}${port}" PARENT_SCOPE)
  set(${name_var} "${name}" PARENT_SCOPE)
endfunction()

# vendor_urls(TARGET WEB_HOST CRM_HOST): the vendor's addresses compiled into TARGET.
function(vendor_urls target web crm)
  vendor_site("${web}" web_url web_name)
  vendor_site("${crm}" crm_url crm_name)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/config/VendorUrls.cpp)
  target_compile_definitions(${target} PRIVATE
    VENDOR_WEB_URL="${web_url}" VENDOR_CRM_URL="${crm_url}" VENDOR_CRM_NAME="${crm_name}")
endfunction()
