# wb_add_program(NAME SOURCES file... LIBS target...): one of the programs the package
# ships. It is built into the build tree's own folder, installed into bin/ and built by the
# `programs` target (what ./run.sh builds). Every command line and the window use it, so a
# new command is built, installed and packaged by this one call.
include(GNUInstallDirs)
if(NOT TARGET programs)
    add_custom_target(programs)
endif()

function(wb_add_program name)
    cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${P_SOURCES})
    target_link_libraries(${name} PRIVATE ${P_LIBS})
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    add_dependencies(programs ${name})
endfunction()
