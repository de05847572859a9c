# wb_add_program(NAME SOURCES file... LIBS target...): one of the programs the package
# ships, built in its folder of the build tree and installed into bin/. Every command line
# and the window are declared so; a new command is built, installed and packaged by this
# one call.
include(GNUInstallDirs)

function(wb_add_program name)
    cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${P_SOURCES})
    target_link_libraries(${name} PRIVATE ${P_LIBS})
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
