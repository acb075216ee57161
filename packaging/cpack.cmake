# A Debian package of the installed program (cpack -G DEB, or the package
# target).
set(CPACK_PACKAGE_NAME varno)
set(CPACK_PACKAGE_VENDOR "VARNO")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "座標変換プログラム: JGD2000 to JGD2011 coordinate conversion for land surveyors")
set(CPACK_PACKAGE_CONTACT "VARNO maintainers <varno@localhost>")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese text needs the fonts the windows map their font names to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
include(CPack)
