# How a folder's target shows its headers. Sources include headers as "<folder>/<name>.h";
# a target's include path holds only a folder of links per target it uses, so a header of
# a folder the target does not link is not found and the include fails to compile.
#
# qdvd_folder_headers(<target> [ONLY <header>...] [INTERNAL <header>...])
#   The folder's own sources see all of its headers. Its users see all of them, or only
#   those named after ONLY. With INTERNAL, the target <target>_internal shows the ONLY
#   and the INTERNAL headers to the other platform folders that link it.
function(qdvd_folder_headers target)
  cmake_parse_arguments(H "" "" "ONLY;INTERNAL" ${ARGN})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include)

  # Every header of the folder, for the folder's own sources.
  set(all ${root}/${target}.all)
  if(NOT IS_SYMLINK ${all}/${folder})
    file(MAKE_DIRECTORY ${all})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${all}/${folder} SYMBOLIC)
  endif()
  if(NOT H_ONLY)
    target_include_directories(${target} PUBLIC ${all})
    return()
  endif()

  qdvd_link_headers(${root}/${target} ${folder} ${H_ONLY})
  target_include_directories(${target} PUBLIC ${root}/${target} PRIVATE ${all})
  if(H_INTERNAL)
    qdvd_link_headers(${root}/${target}.internal ${folder} ${H_ONLY} ${H_INTERNAL})
    add_library(${target}_internal INTERFACE)
    target_include_directories(${target}_internal INTERFACE ${root}/${target}.internal)
    target_link_libraries(${target}_internal INTERFACE ${target})
  endif()
endfunction()

# A folder <dir>/<folder>/ that holds a link to each named header of the current folder.
function(qdvd_link_headers dir folder)
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir}/${folder})
  foreach(header IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${header})
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}: no header ${header}")
    endif()
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${dir}/${folder}/${header} SYMBOLIC)
  endforeach()
endfunction()
