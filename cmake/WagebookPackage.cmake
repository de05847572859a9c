# The Debian package: `cmake --build build --target package` writes wagebook_VERSION_ARCH.deb
# into the build folder, holding what the install() rules name (the programs of
# wb_add_program, the menu entry, the icon). Depends comes from the programs' shared
# libraries (dpkg-shlibdeps) plus what they load without linking it: the SQLite driver
# plugin of Qt and Qt's Chinese translations.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wagebook)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "wagebook maintainers <wagebook@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Imports staff workbooks into a personnel and salary office's database")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Loads staff workbooks (.xls, .xlsx) into the office's personnel database, one
 department at a time, with a window (wagebook) and command lines (wagebook-import,
 wagebook-initdb, wagebook-migrate for an existing Access database, wagebook-template
 and wagebook-check for the workbooks the departments fill in).")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-translations-l10n")
# Qt's PostgreSQL driver serves offices on a shared server (wagebook.ini); a desktop that
# keeps its database in a file does without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, libqt6sql6-psql")
include(CPack)
