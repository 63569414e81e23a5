# Install rules and the Debian package. Installed layout (GNUInstallDirs):
#   bin/varnak, bin/varnak-demo-node         the program and its practice node
#   share/varnak/                            shipped defaults copied into a new station folder
#   share/applications, share/metainfo       desktop entry and AppStream metadata
#   share/icons/hicolor/*/apps               the icon, SVG and PNG
#   share/man/man1/varnak.1                  the manual page
# The program finds share/varnak relative to its own executable, so the tree works
# wherever it is unpacked.
include(GNUInstallDirs)

set(VARNAK_APP_ID "io.github.varnak.Varnak")

install(TARGETS varnak varnak-demo-node RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY "${VARNAK_DATA_DIR}/" DESTINATION ${CMAKE_INSTALL_DATADIR}/varnak)
install(FILES "${CMAKE_SOURCE_DIR}/data/${VARNAK_APP_ID}.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${CMAKE_SOURCE_DIR}/data/${VARNAK_APP_ID}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY "${CMAKE_BINARY_DIR}/share/icons/" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES "${CMAKE_SOURCE_DIR}/doc/varnak.1" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION ${CMAKE_INSTALL_DOCDIR})

# cpack -G DEB in a Release build folder (scripts/package does it).
set(CPACK_PACKAGE_NAME varnak)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Varnak developers")
set(CPACK_PACKAGE_CONTACT "Varnak developers <varnak@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Varnak keeps one connection to one DX cluster node, by Telnet or over AX.25 packet\n"
    "radio through an AGW packet engine such as Direwolf, logs in and turns the node's\n"
    "text into per-band spot lists, each spot looked up for its country, distance and\n"
    "bearing. It sends commands, spots, announcements and talk, tunes the radio through\n"
    "Hamlib's rigctld, shows spots on a greyline map and relays the stream to a logger.")
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://varnak.github.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The country file and the map images are data it reads at run time; the packet
# engine and the rig server are programs it talks to when the operator uses them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "hamradio-files, xplanet-images")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "direwolf, libhamlib-utils")
set(CPACK_GENERATOR DEB)
include(CPack)
