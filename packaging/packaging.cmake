# Installation and the Debian package.
#   cmake --install BUILD --prefix DIR   the programs, the desktop entry, icon, AppStream metainfo
#                                        and the documentation
#   scripts/package.sh                   halberon-bankruptcy_<version>_amd64.deb (Release)
include(GNUInstallDirs)

set(HALBERON_APP_ID org.halberon.bankruptcy)
set(HALBERON_RELEASE_DATE 2026-12-06)
set(HALBERON_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/halberon-bankruptcy)

if(TARGET halberon-bankruptcy)
  install(TARGETS halberon-bankruptcy halberon_backend_tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/${HALBERON_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/${HALBERON_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${HALBERON_APP_ID}.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/packaging/${HALBERON_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/${HALBERON_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The documentation keeps the checkout's layout, so the README's and the guide's links and
  # pictures work where it is installed; Help > User Guide looks for the guide there.
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${HALBERON_DOC_DIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs DESTINATION ${HALBERON_DOC_DIR}
    FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halberon-bankruptcy)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "HALBERON")
set(CPACK_PACKAGE_CONTACT "HALBERON back-office support <support@halberon.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HALBERON bankruptcy manager")
set(CPACK_PACKAGE_DESCRIPTION
  "Collections officers pick a customer, see the customer's open receivables and bankruptcy\n"
  "cases, record a case and tie receivables to it, and settle the case by posting the\n"
  "trustee's payments, writing it off or dismissing it. Includes the back end's support tool\n"
  "halberon-backend. Works on an embedded SQLite file or a shared PostgreSQL database.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link come from shlibdeps; Qt's database drivers are plugins it
# cannot see: SQLite is the default database, PostgreSQL only for a shared one.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
include(CPack)
