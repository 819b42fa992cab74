# Installation: the programs, the manual, the desktop entry, the AppStream
# metadata, the icons and the manual page.
install(TARGETS zentrova zentrova-calc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ZENTROVA_MANUAL_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/zentrova)
install(FILES ${ZENTROVA_MANUAL_PICTURES} DESTINATION ${CMAKE_INSTALL_DATADIR}/zentrova/imagenes)
install(FILES app/org.zentrova.Zentrova.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES app/org.zentrova.Zentrova.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES app/icons/org.zentrova.Zentrova.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES app/icons/png/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME org.zentrova.Zentrova.png)
endforeach()
install(FILES cli/zentrova-calc.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# A Debian package: make package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentrova)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Equipo Zentrova <zentrova@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Calculadora científica para estudiantes, organizada como un cuaderno")
set(CPACK_PACKAGE_DESCRIPTION "Zentrova calcula expresiones con precisión extendida de 80 bits, guarda definiciones en cuadernos RTF, dibuja gráficas de funciones y ofrece fórmulas y constantes físicas; incluye la calculadora de línea de órdenes zentrova-calc.")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # the Debian runtime packages of the linked libraries
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
