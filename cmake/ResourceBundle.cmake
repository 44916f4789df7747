# quorvale_resource_bundle(TARGET <name> OUTPUT <folder> SOURCES <folders...>)
#
# Builds one resource bundle: every file under each source folder's
# sub-folders lands in <folder>/<TYPE>/ (the sub-folder's name is the
# resource type), an SVG rendered to PNG by rsvg-convert, anything else
# copied. The index <folder>/uires.idx lists each resource under its type,
# named by the file's stem. A later source folder's file replaces an
# earlier one of the same type and name.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

function(quorvale_resource_bundle)
  cmake_parse_arguments(B "" "TARGET;OUTPUT" "SOURCES" ${ARGN})
  set(outputs "")
  set(entries "")
  foreach(src ${B_SOURCES})
    file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${src} ${src}/*/*)
    foreach(rel ${files})
      get_filename_component(type ${rel} DIRECTORY)
      get_filename_component(stem ${rel} NAME_WE)
      get_filename_component(ext ${rel} EXT)
      string(TOLOWER "${ext}" lext)
      if(lext STREQUAL ".svg")
        set(out ${B_OUTPUT}/${type}/${stem}.png)
        add_custom_command(OUTPUT ${out}
          COMMAND ${CMAKE_COMMAND} -E make_directory ${B_OUTPUT}/${type}
          COMMAND ${RSVG_CONVERT} -f png -o ${out} ${src}/${rel}
          DEPENDS ${src}/${rel}
          COMMENT "Rendering ${type}/${stem}.svg")
        set(path ${type}/${stem}.png)
      else()
        set(out ${B_OUTPUT}/${rel})
        add_custom_command(OUTPUT ${out}
          COMMAND ${CMAKE_COMMAND} -E copy ${src}/${rel} ${out}
          DEPENDS ${src}/${rel})
        set(path ${rel})
      endif()
      list(APPEND outputs ${out})
      list(APPEND entries "${type}|${stem}|${path}")
    endforeach()
  endforeach()
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${B_TARGET}.entries)
  string(REPLACE ";" "\n" entry_lines "${entries}")
  file(WRITE ${list_file}.in "${entry_lines}\n")
  configure_file(${list_file}.in ${list_file} COPYONLY)
  add_custom_command(OUTPUT ${B_OUTPUT}/uires.idx
    COMMAND ${CMAKE_COMMAND} -DENTRIES=${list_file} -DINDEX=${B_OUTPUT}/uires.idx
            -P ${QUORVALE_ROOT}/cmake/WriteResourceIndex.cmake
    DEPENDS ${list_file} ${QUORVALE_ROOT}/cmake/WriteResourceIndex.cmake
    COMMENT "Writing the resource index ${B_OUTPUT}/uires.idx")
  add_custom_target(${B_TARGET} ALL DEPENDS ${outputs} ${B_OUTPUT}/uires.idx)
endfunction()
