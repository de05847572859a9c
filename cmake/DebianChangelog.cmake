# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DSOURCE=CHANGELOG.md -DOUTPUT=file -DVERSION=x.y.z -DMAINTAINER="name <address>"
#       -P DebianChangelog.cmake
# Writes CHANGELOG.md as the Debian changelog of a native package, which is what Debian's
# tools read in /usr/share/doc/PACKAGE/changelog.gz. Each section "## VERSION - YYYY-MM-DD"
# becomes an entry signed by MAINTAINER on that day; its "- " items become "  * " items and
# every other line is indented by two blanks (so lines of at most 78 characters stay within
# the 80 Debian allows). What precedes the first section is left out. Fails when the newest
# section is not VERSION: a version is not released without its section.
cmake_minimum_required(VERSION 3.22)

# A semicolon would split the list of lines: it travels as a control character.
string(ASCII 26 semicolon)
file(READ ${SOURCE} text)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

set(out)
set(entry)
set(body)
set(newest)
macro(close_entry)
    if(entry)
        string(REGEX REPLACE "^\n+|\n+$" "" body "${body}")
        string(APPEND out "${entry}\n\n${body}\n\n -- ${MAINTAINER}  ${date}\n\n")
    endif()
    set(body)
endmacro()
foreach(line IN LISTS lines)
    if(line MATCHES "^## ([^ ]+) - ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
        set(version ${CMAKE_MATCH_1})
        set(day ${CMAKE_MATCH_2})
        close_entry()
        set(entry "wagebook (${version}) unstable; urgency=medium")
        if(NOT newest)
            set(newest ${version})
        endif()
        execute_process(COMMAND date -R -u -d ${day}
                        OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE
                        COMMAND_ERROR_IS_FATAL ANY)
    elseif(line MATCHES "^## ")
        message(FATAL_ERROR "${SOURCE}: a section is \"## VERSION - YYYY-MM-DD\": ${line}")
    elseif(NOT entry)
        continue()
    elseif(line MATCHES "^- (.*)")
        string(APPEND body "  * ${CMAKE_MATCH_1}\n")
    elseif(line STREQUAL "")
        string(APPEND body "\n")
    else()
        string(APPEND body "  ${line}\n")
    endif()
endforeach()
close_entry()
if(NOT newest STREQUAL VERSION)
    message(FATAL_ERROR "${SOURCE}: the newest section is \"${newest}\", not the version "
                        "${VERSION}")
endif()
string(REPLACE "${semicolon}" ";" out "${out}")
string(REGEX REPLACE "\n+$" "\n" out "${out}")
file(WRITE ${OUTPUT} "${out}")
