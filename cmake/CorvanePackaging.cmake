# Installation under the FHS and the Debian package (CPack). The programs Corvane starts live in its own
# library folder, where the installed corvane looks for EchoLink: <prefix>/lib/corvane/Halvorn/EchoLink.
#   scripts/package.sh        builds build-deb/corvane_<version>_<arch>.deb
# Installing (and so cpack) takes the programs as built; it does not build the tests and benchmarks first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CORVANE_ECHOLINK_INSTALL_DIR lib/corvane/Halvorn/EchoLink)
set(CORVANE_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CORVANE_APP_ID org.corvane.Corvane)

install(TARGETS corvane RUNTIME DESTINATION bin)
install(TARGETS EchoLink.exe RUNTIME DESTINATION ${CORVANE_ECHOLINK_INSTALL_DIR})
if(TARGET corvane-echolinkd)
    install(TARGETS corvane-echolinkd RUNTIME DESTINATION ${CORVANE_ECHOLINK_INSTALL_DIR})
endif()
install(FILES ${CORVANE_PACKAGING_DIR}/${CORVANE_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CORVANE_PACKAGING_DIR}/${CORVANE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CORVANE_PACKAGING_DIR}/${CORVANE_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/corvane RENAME copyright)

# Manual pages go compressed, as Debian keeps them; compressing takes no time, so it is part of the build.
find_program(GZIP_PROGRAM gzip)
set(man_pages corvane.1 EchoLink.exe.1)
if(TARGET corvane-echolinkd)
    list(APPEND man_pages corvane-echolinkd.1)
endif()
set(man_outputs)
foreach(page ${man_pages})
    set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${GZIP_PROGRAM} -9nc ${CORVANE_PACKAGING_DIR}/man/${page} > ${out}
        DEPENDS ${CORVANE_PACKAGING_DIR}/man/${page} VERBATIM)
    list(APPEND man_outputs ${out})
endforeach()
add_custom_target(corvane_man_pages ALL DEPENDS ${man_outputs})
install(FILES ${man_outputs} DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "EchoLink front panel worked by keyboard and by ear")
set(CPACK_PACKAGE_DESCRIPTION "Corvane is a desktop front panel for amateur-radio operators who use EchoLink,
built so that a blind or low-vision operator works the whole station by keyboard and by ear: large-print
panes, window colours and spoken announcements, a station directory, and an EchoLink node and stand-in.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvane.org")
# Libraries the programs link come from dpkg-shlibdeps; what Qt and speech load at run time is listed here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6multimedia6, espeak-ng-data")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "speech-dispatcher, speech-dispatcher-espeak-ng, xdg-user-dirs, orca")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")
include(CPack)
