# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cmake --build build --target package` writes wagebook_VERSION_ARCH.deb
# into the build folder, holding what the install() rules name (the programs of
# wb_add_program with their manual pages, the menu entry, the icon, the software-centre
# data, the copyright file and the changelog). Depends comes from the programs' shared
# libraries (dpkg-shlibdeps) plus what they load without linking it: the SQLite driver
# plugin of Qt and Qt's Chinese translations. Included after every program is declared:
# the description names them all.

# wb_wrap(OUT WIDTH TEXT): TEXT's words as lines of at most WIDTH characters, a list.
function(wb_wrap out width text)
    string(REGEX REPLACE "[ \n]+" ";" words "${text}")
    set(lines)
    set(line)
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(line AND length GREATER width)
            list(APPEND lines "${line}")
            set(line "${word}")
        elseif(line)
            string(APPEND line " ${word}")
        else()
            set(line "${word}")
        endif()
    endforeach()
    list(APPEND lines "${line}")
    set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# The extended description, paragraph by paragraph (no semicolons: the paragraphs are a
# list). CPack indents each line by one blank and marks the empty line between paragraphs;
# 78 characters and that blank stay within the 80 columns Debian's tools show.
get_property(commands GLOBAL PROPERTY WB_PROGRAMS)
list(REMOVE_ITEM commands ${PROJECT_NAME})
list(SORT commands)
list(POP_BACK commands last)
list(JOIN commands ", " commands)
set(paragraphs
    "Loads staff workbooks (.xls, .xlsx) into the database of a personnel and salary
    office, one department at a time: every row becomes a person with education,
    appointment and assessment records, texts become the office's codes, and what
    cannot be translated is listed for the clerk. The database is an SQLite file or a
    PostgreSQL server, and an office's Access database is copied into SQLite once. The user
    interface is Chinese."
    "The package holds the window, ${PROJECT_NAME}, with its menu entry and icon, and the
    command lines ${commands} and ${last}, each program with a manual page in Chinese.")
set(description)
foreach(paragraph IN LISTS paragraphs)
    wb_wrap(lines 78 "${paragraph}")
    list(JOIN lines "\n" text)
    string(APPEND description "${text}\n\n")
endforeach()
string(STRIP "${description}" description)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${WB_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "import staff workbooks into a personnel and salary office's database")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${description}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-translations-l10n")
# Qt's PostgreSQL driver serves offices on a shared server (wagebook.ini); a desktop that
# keeps its database in a file does without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, libqt6sql6-psql")
include(CPack)
