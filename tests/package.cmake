# The installed layout and the Debian package.
corvane_add_test(NAME TestProgramFilesFolder SOURCES unit/TestProgramFilesFolder.cpp LIBS corvane_platform)

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
find_program(DPKG_DEB dpkg-deb)
if(DESKTOP_FILE_VALIDATE)
    add_test(NAME PackageDesktopEntry
        COMMAND ${DESKTOP_FILE_VALIDATE} ${CORVANE_PACKAGING_DIR}/${CORVANE_APP_ID}.desktop)
    # Hints are advice; warnings and errors fail.
    set_tests_properties(PackageDesktopEntry PROPERTIES FAIL_REGULAR_EXPRESSION "error:;warning:")
else()
    message(STATUS "desktop-file-validate not found (desktop-file-utils): the desktop entry is not checked")
endif()
if(APPSTREAMCLI)
    add_test(NAME PackageMetainfo
        COMMAND ${APPSTREAMCLI} validate --no-net ${CORVANE_PACKAGING_DIR}/${CORVANE_APP_ID}.metainfo.xml)
    set_tests_properties(PackageMetainfo PROPERTIES FAIL_REGULAR_EXPRESSION "(^|\n)[EW]: ")
else()
    message(STATUS "appstreamcli not found (appstream): the metainfo is not checked")
endif()
if(DPKG_DEB)
    add_test(NAME PackageDebContents COMMAND ${CMAKE_SOURCE_DIR}/tests/util/check-package.sh ${CMAKE_BINARY_DIR})
    set(package_env "")
    if(TARGET corvane-echolinkd)
        set(package_env "WITH_NODE=1")
    endif()
    # cpack installs the built programs: one package build at a time, and it takes a while on two cores.
    set_tests_properties(PackageDebContents PROPERTIES ENVIRONMENT "${package_env}" TIMEOUT 600
        RESOURCE_LOCK corvane_package)
endif()
