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

# quorvale_animation_gif(TARGET <name> OUTPUT <file.gif> FRAMES <folder> DELAY <1/100 s>)
#
# Joins the SVG frames of <folder>, in file-name order, into one looping
# animated GIF with every frame shown for DELAY hundredths of a second:
# each frame rendered on white by rsvg-convert, a palette made from all of
# them, then the frames mapped to it by ffmpeg. Written beside the output
# and renamed into place, so an interrupted build leaves no half file.
find_program(QUORVALE_FFMPEG ffmpeg REQUIRED)

function(quorvale_animation_gif)
  cmake_parse_arguments(A "" "TARGET;OUTPUT;FRAMES;DELAY" "" ${ARGN})
  file(GLOB frames CONFIGURE_DEPENDS ${A_FRAMES}/*.svg)
  list(SORT frames)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${A_TARGET}.frames)
  set(render "")
  set(n 0)
  foreach(frame ${frames})
    math(EXPR n "${n} + 1")
    string(LENGTH "00${n}" len)
    math(EXPR start "${len} - 3")
    string(SUBSTRING "00${n}" ${start} 3 num)
    list(APPEND render COMMAND ${RSVG_CONVERT} -f png -b white -o ${work}/${num}.png ${frame})
  endforeach()
  # ffmpeg times frames by rate: 100 / DELAY frames a second.
  set(rate "100/${A_DELAY}")
  get_filename_component(dir ${A_OUTPUT} DIRECTORY)
  add_custom_command(OUTPUT ${A_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${work}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${work} ${dir}
    ${render}
    COMMAND ${QUORVALE_FFMPEG} -nostdin -y -loglevel error -framerate ${rate} -i ${work}/%03d.png
            -vf palettegen ${work}/palette.png
    COMMAND ${QUORVALE_FFMPEG} -nostdin -y -loglevel error -framerate ${rate} -i ${work}/%03d.png
            -i ${work}/palette.png -lavfi paletteuse -loop 0 -f gif ${A_OUTPUT}.tmp
    COMMAND ${CMAKE_COMMAND} -E rename ${A_OUTPUT}.tmp ${A_OUTPUT}
    DEPENDS ${frames}
    COMMENT "Joining the frames of ${A_FRAMES} into ${A_OUTPUT}"
    VERBATIM)
  add_custom_target(${A_TARGET} DEPENDS ${A_OUTPUT})
endfunction()
