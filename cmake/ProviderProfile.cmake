# The provider this build is made for: a folder with provider.txt and the
# provider's banner and icon (see providers/pelkar/). A provider makes its own
# build with -DVEROLINK_PROVIDER=providers/<id> (scripts/build-provider.sh).
# The folder is checked and converted when CMake configures; a mistake in it
# stops the configure step with a message naming the field, before anything is built.
set(VEROLINK_PROVIDER "${PROJECT_SOURCE_DIR}/providers/pelkar" CACHE PATH
    "Folder of the provider this build is made for")
set(VEROLINK_HOME_PAGE "http://www.verolink.example/" CACHE STRING "The program's own home page")
# The provider's texts were options once. A build folder from then holds them
# at their old defaults, which are dropped; any other value was a provider's
# own and is refused rather than silently ignored.
set(old_default_VEROLINK_ISP_NAME "Pelkar")
set(old_default_VEROLINK_SERVICE_NAME "pelkar")
set(old_default_VEROLINK_SITE_URL "http://www.verolink.example/")
foreach(gone VEROLINK_ISP_NAME VEROLINK_SERVICE_NAME VEROLINK_SITE_URL)
  if(DEFINED CACHE{${gone}})
    if(NOT "$CACHE{${gone}}" STREQUAL "${old_default_${gone}}")
      message(FATAL_ERROR "${gone} is no longer an option: the provider's name, service and "
                          "page are read from provider.txt in VEROLINK_PROVIDER (now "
                          "${VEROLINK_PROVIDER}); see providers/pelkar/")
    endif()
    unset(${gone} CACHE)
  endif()
endforeach()

# The converter needs Pillow, which Debian installs for its own python3.
find_program(VEROLINK_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(VEROLINK_PYTHON python3 REQUIRED)
set(VEROLINK_PROVIDER_FILES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/../scripts/provider-files.py)

# verolink_provider_files(<folder> <output>): checks <folder> and writes its
# converted files into <output>; a mistake stops the configure step.
function(verolink_provider_files folder output)
  get_filename_component(folder "${folder}" ABSOLUTE BASE_DIR "${PROJECT_SOURCE_DIR}")
  execute_process(COMMAND ${VEROLINK_PYTHON} ${VEROLINK_PROVIDER_FILES_SCRIPT} ${folder} ${output}
                  RESULT_VARIABLE failed ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "provider folder ${folder} is not usable:\n${errors}")
  endif()
  file(GLOB inputs ${folder}/*)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${inputs} ${VEROLINK_PROVIDER_FILES_SCRIPT})
endfunction()

# verolink_provider_header(<files> <header>): the provider's texts, from the
# converted <files>, as the C header that the built-in profile includes.
function(verolink_provider_header files header)
  include(${files}/profile.cmake)
  set(VEROLINK_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
  set(VEROLINK_VERSION_MINOR ${PROJECT_VERSION_MINOR})
  set(VEROLINK_VERSION_REVISION ${PROJECT_VERSION_PATCH})
  # Escape for a C string literal.
  foreach(var VEROLINK_ISP_NAME VEROLINK_SITE_URL VEROLINK_SERVICE_NAME VEROLINK_HOME_PAGE)
    string(REPLACE "\\" "\\\\" escaped "${${var}}")
    string(REPLACE "\"" "\\\"" escaped "${escaped}")
    set(${var}_ESCAPED "${escaped}")
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/src/start/build_profile.h.in ${header} @ONLY)
endfunction()

set(VEROLINK_PROVIDER_DIR ${PROJECT_BINARY_DIR}/provider)
verolink_provider_files("${VEROLINK_PROVIDER}" ${VEROLINK_PROVIDER_DIR})
include(${VEROLINK_PROVIDER_DIR}/profile.cmake)
verolink_provider_header(${VEROLINK_PROVIDER_DIR}
                         ${PROJECT_BINARY_DIR}/generated/verolink/build_profile.h)
