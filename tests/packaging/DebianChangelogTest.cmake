# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DSCRIPT=cmake/DebianChangelog.cmake -DWORK=folder -P DebianChangelogTest.cmake
# CHANGELOG.md as a Debian changelog: what each kind of line becomes, and the changelogs
# the conversion refuses. Fails with the first case that goes wrong.
cmake_minimum_required(VERSION 3.22)

set(maintainer "Test Maintainer <test@wagebook.org>")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# convert(NAME TEXT VERSION): runs the conversion; sets status, output and error.
function(convert name text version)
    file(WRITE ${WORK}/${name}.md "${text}")
    file(REMOVE ${WORK}/${name}.changelog)
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${WORK}/${name}.md
                            -DOUTPUT=${WORK}/${name}.changelog -DVERSION=${version}
                            -DMAINTAINER=${maintainer} -P ${SCRIPT}
                    RESULT_VARIABLE status ERROR_VARIABLE error)
    set(output)
    if(EXISTS ${WORK}/${name}.changelog)
        file(READ ${WORK}/${name}.changelog output)
    endif()
    set(status ${status} PARENT_SCOPE)
    set(output "${output}" PARENT_SCOPE)
    set(error "${error}" PARENT_SCOPE)
endfunction()

# The introduction is left out; "- " items become "  * " items, their continuation lines
# keep their place under them; semicolons and Chinese pass unchanged; each section is signed
# on its own day, with that day's name of the week.
convert(converted "# Changes

Kept by hand; newest first.

## 2.0 - 2026-12-09

- Item one; with a semicolon
  continued 中文
- Item two

## 1.0 - 2024-02-29

- First.
" 2.0)
set(expected "wagebook (2.0) unstable; urgency=medium

  * Item one; with a semicolon
    continued 中文
  * Item two

 -- ${maintainer}  Wed, 09 Dec 2026 00:00:00 +0000

wagebook (1.0) unstable; urgency=medium

  * First.

 -- ${maintainer}  Thu, 29 Feb 2024 00:00:00 +0000
")
if(NOT status EQUAL 0 OR NOT output STREQUAL expected)
    message(FATAL_ERROR "converted: status ${status} ${error}\n---\n${output}---\nexpected\n"
                        "---\n${expected}---")
endif()

# Refused, with no changelog written: NAME, TEXT, VERSION, what the message says.
set(refused_cases
    "not_the_version" "## 2.0 - 2026-12-09\n\n- x\n" 2.1 "the newest section is \"2.0\""
    "heading_without_date" "## 2.0\n\n- x\n" 2.0 "a section is \"## VERSION - YYYY-MM-DD\""
    "no_section" "# Changes\n" 2.0 "the newest section is \"\"")
while(refused_cases)
    list(POP_FRONT refused_cases name text version message)
    convert(${name} "${text}" ${version})
    # CMake wraps a message's lines.
    string(REGEX REPLACE "[ \n]+" " " error "${error}")
    string(FIND "${error}" "${message}" found)
    if(status EQUAL 0 OR found EQUAL -1 OR EXISTS ${WORK}/${name}.changelog)
        message(FATAL_ERROR "${name}: status ${status}, expected \"${message}\" in: ${error}")
    endif()
endwhile()
