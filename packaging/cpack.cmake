# A Debian package of the installed program (`make deb`, or cpack -G DEB in a
# build folder). Built from a Release build without tests (see the Makefile).
set(CPACK_PACKAGE_NAME varno)
set(CPACK_PACKAGE_VENDOR "Seed 645ea4bb maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT
    "Seed 645ea4bb maintainers <maintainers@users.noreply.c-seed-645ea4bb.example>")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The first line is the synopsis, the rest the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "JGD2000 to JGD2011 coordinate conversion for Japanese land surveyors
VARNO (座標変換プログラム) converts survey coordinates from the
pre-earthquake datum JGD2000 (震災前成果(2000)) to the post-earthquake datum
JGD2011 (震災後成果(2011)). A point is projected to the plane rectangular X/Y
of its zone (Gauss-Krüger, GRS80), corrected by a bilinear grid of dX, dY, dH
read from a parameter file (Veltra.par), and projected back.

The package holds the Japanese desktop program, which converts and prints
single points and converts whole files in its batch dialog, and varno-batch,
the same file conversion for scripts and very large files. A demonstration
parameter file for zone 9 is included.")
# Japanese text needs the fonts the windows map their font names to, and Qt's
# Japanese translation for its standard dialogs and buttons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho, qt6-translations-l10n")
include(CPack)
