# The provider this build is made for. A provider makes its own build with
#   cmake -DVEROLINK_ISP_NAME=... -DVEROLINK_SITE_URL=... -DVEROLINK_SERVICE_NAME=...
set(VEROLINK_ISP_NAME "Pelkar" CACHE STRING "Provider name; the entry is named after it")
set(VEROLINK_SITE_URL "http://www.verolink.example/" CACHE STRING "Provider web page")
set(VEROLINK_SERVICE_NAME "pelkar" CACHE STRING "PPPoE service name")
set(VEROLINK_HOME_PAGE "http://www.verolink.example/" CACHE STRING "The program's own home page")

set(VEROLINK_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
set(VEROLINK_VERSION_MINOR ${PROJECT_VERSION_MINOR})
set(VEROLINK_VERSION_REVISION ${PROJECT_VERSION_PATCH})

# Escape for a C string literal.
foreach(var VEROLINK_ISP_NAME VEROLINK_SITE_URL VEROLINK_SERVICE_NAME VEROLINK_HOME_PAGE)
  string(REPLACE "\\" "\\\\" escaped "${${var}}")
  string(REPLACE "\"" "\\\"" escaped "${escaped}")
  set(${var}_ESCAPED "${escaped}")
endforeach()

configure_file(${CMAKE_CURRENT_SOURCE_DIR}/src/start/build_profile.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/verolink/build_profile.h @ONLY)
