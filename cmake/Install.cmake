# Installation and the Debian package. bin/ holds orvanel and orvanel-cli; share/orvanel the
# help, the palettes and the samples; the desktop entry, the file types, the thumbnailer entry
# (orvanel-cli thumbnail for FITS, XISF and SER files), the icon and the man pages go where
# desktops, file managers and man look for them. The installed program finds share/orvanel
# from its own folder (ORVANEL_DATA_FROM_BIN), so a moved prefix still works.
include(GNUInstallDirs)
set(ORVANEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/orvanel)

install(TARGETS orvanel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/src/ui/help/aide.html DESTINATION ${ORVANEL_INSTALL_DATADIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/palettes DESTINATION ${ORVANEL_INSTALL_DATADIR})
install(FILES ${CMAKE_BINARY_DIR}/samples/star_field.fit DESTINATION ${ORVANEL_INSTALL_DATADIR}/samples)
install(DIRECTORY ${CMAKE_BINARY_DIR}/samples/comet DESTINATION ${ORVANEL_INSTALL_DATADIR}/samples)
install(DIRECTORY ${CMAKE_BINARY_DIR}/samples/comet-colour DESTINATION ${ORVANEL_INSTALL_DATADIR}/samples)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/orvanel.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/orvanel.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(DIRECTORY ${CMAKE_BINARY_DIR}/samples/drift DESTINATION ${ORVANEL_INSTALL_DATADIR}/samples)

foreach(page orvanel orvanel-cli)
  configure_file(${CMAKE_SOURCE_DIR}/data/man/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

if(ORVANEL_BUILD_UI)
  install(TARGETS orvanel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  file(RELATIVE_PATH ORVANEL_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/orvanel)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/src/ui/installed_data.cpp DIRECTORY ${CMAKE_SOURCE_DIR}/src/ui
    PROPERTIES COMPILE_DEFINITIONS "ORVANEL_DATA_FROM_BIN=\"${ORVANEL_DATA_FROM_BIN}\"")
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/orvanel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/orvanel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

# cpack -G DEB: orvanel_<version>_<arch>.deb, its library dependencies found by dpkg-shlibdeps.
set(ORVANEL_PACKAGE_MAINTAINER "Orvanel developers <orvanel@localhost>" CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "visionneuse d'images CCD astronomiques et animations GIF")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvanel affiche les images CCD astronomiques (FITS, XISF, vidéos SER,
PIC de Mips, CPA de Prism, BMP, GIF), règle leur affichage (seuils, préréglages,
palettes), donne les statistiques et la valeur des pixels, imprime, enregistre
en FITS, PIC, BMP ou GIF, et assemble une série d'images en GIF, WebP ou MP4
animé. orvanel-cli fait le même travail en ligne de commande et donne aux
gestionnaires de fichiers les vignettes des fichiers FITS, XISF et SER.")
set(CPACK_PACKAGE_CONTACT ${ORVANEL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps does not see CFITSIO and FFmpeg, opened with dlopen: Debian names libfoo.so.N's
# package libfooN.
set(dlopened "")
foreach(soname ${ORVANEL_CFITSIO_SONAME} ${ORVANEL_FFMPEG_SONAMES})
  string(REGEX REPLACE "^(lib.*)\\.so\\.([0-9]+)$" "\\1\\2" package "${soname}")
  list(APPEND dlopened ${package})
endforeach()
list(JOIN dlopened ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
