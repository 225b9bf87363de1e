# The version, the release date and the maintainer are read from the top entry of
# packaging/changelog, so a release is made in one place: the Debian package and the
# Windows zips both take them from here. dpkg-parsechangelog (dpkg-dev) reads it as
# Debian's own tools do.

find_program(LORVEX_PARSECHANGELOG dpkg-parsechangelog)

# Sets `out` to the field of the top entry; configuration stops when dpkg cannot read it.
function(lorvex_changelog_field log field out)
  execute_process(COMMAND ${LORVEX_PARSECHANGELOG} -l ${log} -S ${field}
                  OUTPUT_VARIABLE value ERROR_VARIABLE complaint RESULT_VARIABLE status
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR value STREQUAL "")
    string(TOLOWER ${field} name)
    message(FATAL_ERROR "${log}: no ${name} in the top entry\n${complaint}")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

function(lorvex_read_changelog)
  if(NOT LORVEX_PARSECHANGELOG)
    message(FATAL_ERROR "dpkg-parsechangelog not found: install dpkg-dev (./build.sh installs it)")
  endif()
  set(log ${PROJECT_SOURCE_DIR}/packaging/changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${log})
  lorvex_changelog_field(${log} Version version)
  # dpkg reads a heading without a version as version "unknown".
  if(NOT version MATCHES "^[0-9]")
    message(FATAL_ERROR "${log}: no version on the first line")
  endif()
  lorvex_changelog_field(${log} Maintainer maintainer)
  lorvex_changelog_field(${log} Timestamp timestamp)
  # The day in UTC, as Debian's reproducible builds date a release.
  execute_process(COMMAND date -u -d @${timestamp} +%F OUTPUT_VARIABLE date RESULT_VARIABLE status
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${log}: cannot turn the top entry's time ${timestamp} into a date")
  endif()
  set(LORVEX_VERSION ${version} PARENT_SCOPE)
  set(LORVEX_MAINTAINER ${maintainer} PARENT_SCOPE)
  set(LORVEX_RELEASE_DATE ${date} PARENT_SCOPE)
endfunction()
