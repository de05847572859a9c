# wb_public_headers(TARGET): the headers of the library TARGET, whose sources are in the
# current folder, become includable as "<its path below src>/File.h" (e.g. "data/Database.h")
# by the library itself and by every target that links it, and by no other. Each library
# gets an include root of its own in the build tree, holding one link to its folder, so that
# a file including a header of a library its target does not link fails to compile.
function(wb_public_headers target)
    file(RELATIVE_PATH below ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    get_filename_component(parent ${root}/${below} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${below} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${root})
endfunction()
