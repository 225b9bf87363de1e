# What `cmake --install` puts where: the program, its desktop entry and icon, its
# AppStream metadata, its manual page and the package's documents.
#
# The version, the release date and the maintainer come from packaging/changelog
# (cmake/Changelog.cmake).

include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(LORVEX_APP_ID com.tamberlo.lorvex)
set(LORVEX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(LORVEX_ICON_SIZES 16 32 48 64 128 256)
# Where the screenshot is published on the web: AppStream takes screenshots only by web
# address. Empty leaves them out of the metadata; the package ships the file either way.
set(LORVEX_SCREENSHOT_URL "" CACHE STRING "Web address of the published packaging/screenshot.png")

include(${CMAKE_CURRENT_LIST_DIR}/Changelog.cmake)
lorvex_read_changelog()

set(LORVEX_SCREENSHOTS "")
if(LORVEX_SCREENSHOT_URL)
  string(CONCAT LORVEX_SCREENSHOTS
    "  <screenshots>\n"
    "    <screenshot type=\"default\">\n"
    "      <caption>The menu</caption>\n"
    "      <image>${LORVEX_SCREENSHOT_URL}</image>\n"
    "    </screenshot>\n"
    "  </screenshots>\n")
endif()
set(generated ${PROJECT_BINARY_DIR}/packaging)
configure_file(${LORVEX_PACKAGING_DIR}/${LORVEX_APP_ID}.metainfo.xml.in
               ${generated}/${LORVEX_APP_ID}.metainfo.xml @ONLY)
configure_file(${LORVEX_PACKAGING_DIR}/lorvex.6.in ${generated}/lorvex.6 @ONLY)

# Debian wants the manual page and the changelog compressed, without a time stamp.
foreach(doc lorvex.6 changelog)
  if(doc STREQUAL changelog)
    set(source ${LORVEX_PACKAGING_DIR}/changelog)
  else()
    set(source ${generated}/${doc})
  endif()
  add_custom_command(OUTPUT ${generated}/${doc}.gz
                     COMMAND gzip -9 -n -c ${source} > ${generated}/${doc}.gz
                     DEPENDS ${source}
                     COMMENT "Compressing ${doc}")
  list(APPEND compressed ${generated}/${doc}.gz)
endforeach()
add_custom_target(lorvex_documents ALL DEPENDS ${compressed})

set(docdir ${CMAKE_INSTALL_DATADIR}/doc/lorvex)
install(TARGETS lorvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${LORVEX_PACKAGING_DIR}/${LORVEX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${LORVEX_ICON_SIZES})
  install(FILES res/lorvex-${size}.png RENAME ${LORVEX_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${generated}/${LORVEX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${generated}/lorvex.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${LORVEX_PACKAGING_DIR}/screenshot.png DESTINATION ${CMAKE_INSTALL_DATADIR}/lorvex)
install(FILES ${LORVEX_PACKAGING_DIR}/copyright ${generated}/changelog.gz DESTINATION ${docdir})
