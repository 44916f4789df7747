# quorvale_resource_bundle(TARGET <name> OUTPUT <folder> SOURCES <folders...>)
#
# Builds one resource bundle: every file under each source folder's
# sub-folders lands in <folder>/<TYPE>/ (the sub-folder's name is the
# resource type), anything else copied. Pictures are drawn as SVG and made
# at build time:
#   <TYPE>/<name>.svg            a PNG (rsvg-convert);
#   ICON/<name>.svg              an .ico holding the picture at every size in
#                                QUORVALE_ICON_SIZES (icotool);
#   <TYPE>/<name>.gif/<n>.svg    an animated GIF of the frames in file-name
#                                order, QUORVALE_GIF_FPS frames a second,
#                                drawn on white (ffmpeg).
# The index <folder>/uires.idx lists each resource under its type, named by
# the file's stem. A later source folder's file replaces an earlier one of
# the same type and name.
#
# The bundle beside the executables (bin/res) is the one the program reads:
# it takes the program's own resources, res/ at the top of the tree, after
# the listed folders, so the framework's and the program's resources share
# one index.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)
find_program(FFMPEG ffmpeg REQUIRED)

set(QUORVALE_PROGRAM_RESOURCES ${CMAKE_CURRENT_LIST_DIR}/../res)
# Icon sizes: each size a window asks for (16, 24, 29, 32) at 100 to 200 %,
# and 256 for the shell's large views. Every size is stored as a bitmap: the
# image loader (gdk-pixbuf) misreads an icon that holds a PNG-compressed
# entry, and every picture of the icon then comes out empty.
set(QUORVALE_ICON_SIZES 16 20 24 28 29 30 32 36 40 42 44 48 51 56 58 64 256)
set(QUORVALE_GIF_FPS 10)

# Renders the SVG `svg` to the icon `out`.
function(_quorvale_bundle_icon svg out work)
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${work})
  set(pngs "")
  foreach(size ${QUORVALE_ICON_SIZES})
    set(png ${work}/${size}.png)
    list(APPEND commands COMMAND ${RSVG_CONVERT} -f png -w ${size} -h ${size} -o ${png} ${svg})
    list(APPEND pngs ${png})
  endforeach()
  get_filename_component(dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    ${commands}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${ICOTOOL} -c -o ${out}.tmp ${pngs}
    COMMAND ${CMAKE_COMMAND} -E rename ${out}.tmp ${out}
    DEPENDS ${svg}
    COMMENT "Making the icon ${out}"
    VERBATIM)
endfunction()

# Renders the frames (SVG files, in order) to the animated GIF `out`.
function(_quorvale_bundle_gif frames out work)
  set(commands COMMAND ${CMAKE_COMMAND} -E rm -rf ${work} COMMAND ${CMAKE_COMMAND} -E make_directory ${work})
  set(n 0)
  foreach(frame ${frames})
    math(EXPR n "${n} + 1")
    string(LENGTH "00${n}" len)
    math(EXPR start "${len} - 3")
    string(SUBSTRING "00${n}" ${start} 3 num)
    list(APPEND commands COMMAND ${RSVG_CONVERT} -f png -b white -o ${work}/${num}.png ${frame})
  endforeach()
  get_filename_component(dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    ${commands}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${FFMPEG} -nostdin -y -loglevel error -framerate ${QUORVALE_GIF_FPS} -i ${work}/%03d.png
            -vf palettegen=reserve_transparent=0 ${work}/palette.png
    COMMAND ${FFMPEG} -nostdin -y -loglevel error -framerate ${QUORVALE_GIF_FPS} -i ${work}/%03d.png
            -i ${work}/palette.png -lavfi paletteuse -loop 0 -f gif ${out}.tmp
    COMMAND ${CMAKE_COMMAND} -E rename ${out}.tmp ${out}
    DEPENDS ${frames}
    COMMENT "Making the animation ${out}"
    VERBATIM)
endfunction()

function(quorvale_resource_bundle)
  cmake_parse_arguments(B "" "TARGET;OUTPUT" "SOURCES" ${ARGN})
  if(B_OUTPUT STREQUAL "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/res" AND EXISTS ${QUORVALE_PROGRAM_RESOURCES})
    list(APPEND B_SOURCES ${QUORVALE_PROGRAM_RESOURCES})
  endif()
  set(work_root ${CMAKE_CURRENT_BINARY_DIR}/${B_TARGET}.work)
  set(outputs "")
  set(entries "")
  foreach(src ${B_SOURCES})
    file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${src} ${src}/*/*)
    list(SORT files)
    set(animations "")
    foreach(rel ${files})
      get_filename_component(type ${rel} DIRECTORY)
      get_filename_component(stem ${rel} NAME_WE)
      get_filename_component(ext ${rel} EXT)
      string(TOLOWER "${ext}" lext)
      if(type MATCHES "^([^/]+)/([^/]+)\\.gif$")
        # A frame of an animation: the animation is made once, below.
        set(anim ${type})
        if(NOT anim IN_LIST animations)
          list(APPEND animations ${anim})
        endif()
        if(NOT lext STREQUAL ".svg")
          message(FATAL_ERROR "Animation frames are SVG files: ${src}/${rel}")
        endif()
        continue()
      elseif(type MATCHES "/")
        message(FATAL_ERROR "Resources sit one folder deep (<TYPE>/<name>): ${src}/${rel}")
      endif()
      if(lext STREQUAL ".svg" AND type STREQUAL "ICON")
        set(path ${type}/${stem}.ico)
        set(out ${B_OUTPUT}/${path})
        _quorvale_bundle_icon(${src}/${rel} ${out} ${work_root}/${type}/${stem})
      elseif(lext STREQUAL ".svg")
        set(path ${type}/${stem}.png)
        set(out ${B_OUTPUT}/${path})
        add_custom_command(OUTPUT ${out}
          COMMAND ${CMAKE_COMMAND} -E make_directory ${B_OUTPUT}/${type}
          COMMAND ${RSVG_CONVERT} -f png -o ${out} ${src}/${rel}
          DEPENDS ${src}/${rel}
          COMMENT "Rendering ${type}/${stem}.svg")
      else()
        set(path ${rel})
        set(out ${B_OUTPUT}/${rel})
        add_custom_command(OUTPUT ${out}
          COMMAND ${CMAKE_COMMAND} -E copy ${src}/${rel} ${out}
          DEPENDS ${src}/${rel})
      endif()
      list(APPEND outputs ${out})
      list(APPEND entries "${type}|${stem}|${path}")
    endforeach()
    foreach(anim ${animations})
      string(REGEX MATCH "^([^/]+)/([^/]+)\\.gif$" unused ${anim})
      set(type ${CMAKE_MATCH_1})
      set(stem ${CMAKE_MATCH_2})
      file(GLOB frames CONFIGURE_DEPENDS ${src}/${anim}/*.svg)
      list(SORT frames)
      set(path ${type}/${stem}.gif)
      set(out ${B_OUTPUT}/${path})
      _quorvale_bundle_gif("${frames}" ${out} ${work_root}/${type}/${stem})
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
