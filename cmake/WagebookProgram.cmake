# SPDX-License-Identifier: GPL-3.0-or-later
# wb_add_program(NAME SOURCES file... LIBS target...): one of the programs the package
# ships, built in its folder of the build tree and installed into bin/ with its manual page.
# Every command line and the window are declared so; a new command is built, installed,
# documented and packaged by this one call.
#
# The manual page (section 1, share/man/man1/NAME.1.gz) is the program's own --help and
# --version, turned into a page by help2man at build time, plus the sections of
# ManualPage.h2m (here, for every page) and of man/NAME.h2m beside the CMakeLists.txt that
# declares the program: at least [名称], the line "NAME \- what it is"; [示例], [参见] and
# the like as the program needs. help2man runs in a Chinese locale, so that it reads the
# UTF-8 help as such, takes "用法: " and "或者: " lines for the synopsis and names the
# sections in Chinese (the h2m files' section names are these). groff cannot break a line
# inside a run of Chinese: a run longer than a line (35 characters between blanks) comes out
# overlong, with a warning.
include(GNUInstallDirs)

find_program(WB_HELP2MAN help2man REQUIRED)
set(WB_MAN_SECTIONS ${CMAKE_CURRENT_LIST_DIR}/ManualPage.h2m)
# The Chinese locale is compiled into the build folder (LOCPATH) rather than asked of the
# system, which seldom has it generated; its source comes with Debian's `locales`.
set(WB_MAN_LOCALE zh_CN.UTF-8)
set(WB_MAN_LOCPATH ${CMAKE_BINARY_DIR}/man-locale)
if(NOT EXISTS ${WB_MAN_LOCPATH}/${WB_MAN_LOCALE}/LC_CTYPE)
    file(MAKE_DIRECTORY ${WB_MAN_LOCPATH})
    execute_process(COMMAND localedef -i zh_CN -f UTF-8 ${WB_MAN_LOCPATH}/${WB_MAN_LOCALE}
                    RESULT_VARIABLE status ERROR_VARIABLE error)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "The manual pages need the zh_CN locale's source (Debian "
                            "package locales, tools/setup.sh installs it): ${error}")
    endif()
endif()

function(wb_add_program name)
    cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${P_SOURCES})
    target_link_libraries(${name} PRIVATE ${P_LIBS})
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set_property(GLOBAL APPEND PROPERTY WB_PROGRAMS ${name})

    set(page ${CMAKE_CURRENT_BINARY_DIR}/${name}.1)
    set(sections ${CMAKE_CURRENT_SOURCE_DIR}/man/${name}.h2m)
    set(include --include=${WB_MAN_SECTIONS})
    set(depends ${name} ${WB_MAN_SECTIONS})
    if(EXISTS ${sections})
        list(APPEND include --include=${sections})
        list(APPEND depends ${sections})
    else()
        message(AUTHOR_WARNING "${name}: no man/${name}.h2m, so its manual page says "
                               "nothing under 名称 but its name")
    endif()
    # No display: the window must answer --help and --version without one.
    add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                LOCPATH=${WB_MAN_LOCPATH} LC_ALL=${WB_MAN_LOCALE}
                ${WB_HELP2MAN} --no-info --section=1 --locale=${WB_MAN_LOCALE} ${include}
                --output=${page} $<TARGET_FILE:${name}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${depends}
        COMMENT "Manual page of ${name}"
        VERBATIM)
    add_custom_target(${name}-man ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
