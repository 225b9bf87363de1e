# The version, the release date and the maintainer are read from the top entry of
# packaging/changelog, so a release is made in one place: the Debian package and the
# Windows zips both take them from here.

# lorvex (0.1.0) unstable; urgency=medium ... -- Name <mail>  Tue, 08 Dec 2026 12:00:00 +0000
function(lorvex_read_changelog)
  set(log ${PROJECT_SOURCE_DIR}/packaging/changelog)
  file(STRINGS ${log} head LIMIT_COUNT 1)
  if(NOT head MATCHES "^lorvex \\(([0-9.]+)\\) ")
    message(FATAL_ERROR "${log}: no version on the first line")
  endif()
  set(version ${CMAKE_MATCH_1})
  file(STRINGS ${log} trailer REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT trailer MATCHES "^ -- (.+ <[^>]+>)  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "${log}: no maintainer and date under the top entry")
  endif()
  set(maintainer ${CMAKE_MATCH_1})
  set(day ${CMAKE_MATCH_2})
  set(year ${CMAKE_MATCH_4})
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${CMAKE_MATCH_3} month)
  math(EXPR month "${month} + 1")
  if(month LESS 10)
    set(month 0${month})
  endif()
  set(LORVEX_VERSION ${version} PARENT_SCOPE)
  set(LORVEX_MAINTAINER ${maintainer} PARENT_SCOPE)
  set(LORVEX_RELEASE_DATE ${year}-${month}-${day} PARENT_SCOPE)
endfunction()
