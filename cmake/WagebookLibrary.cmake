# SPDX-License-Identifier: GPL-3.0-or-later
# wb_public_headers(TARGET [SUBFOLDERS folder...]): the headers of the library TARGET, in the
# current folder (and in the SUBFOLDERS that are part of it), become includable as "<the
# folder's path below src>/File.h" (e.g. "data/Database.h") by the library itself and by
# every target that links it, and by no other. Each library gets an include root of its own
# in the build tree holding links to its headers only, so that a file including a header of
# a library its target does not link fails to compile, a sub-folder that is a library of its
# own included.
function(wb_public_headers target)
    cmake_parse_arguments(H "" "" "SUBFOLDERS" ${ARGN})
    file(RELATIVE_PATH below ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    file(MAKE_DIRECTORY ${root}/${below})
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(path ${headers})
        get_filename_component(name ${path} NAME)
        file(CREATE_LINK ${path} ${root}/${below}/${name} SYMBOLIC)
    endforeach()
    foreach(folder ${H_SUBFOLDERS})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${folder} ${root}/${below}/${folder} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
