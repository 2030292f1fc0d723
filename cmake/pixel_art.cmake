# Images drawn as text (tools/pixel_art.py) become .bmp and .ico files at
# build time, in the build tree's mirror of the source folder.

# suite_pixel_art(TARGET SOURCES name.bmp.txt name.ico.txt ...)
# Makes name.bmp / name.ico from each source; TARGET builds them all and
# carries their folder and files for suite_use_images.
function(suite_pixel_art target)
  cmake_parse_arguments(A "" "" "SOURCES" ${ARGN})
  set(outputs)
  foreach(source ${A_SOURCES})
    get_filename_component(path ${source} ABSOLUTE)
    get_filename_component(folder ${path} DIRECTORY)
    get_filename_component(name ${path} NAME)
    string(REGEX REPLACE "\\.txt$" "" image ${name})
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${folder})
    set(output ${PROJECT_BINARY_DIR}/${relative}/${image})
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/${relative}
      COMMAND ${PYTHON3} ${PROJECT_SOURCE_DIR}/tools/pixel_art.py ${path} ${output}
      DEPENDS ${path} ${PROJECT_SOURCE_DIR}/tools/pixel_art.py
      COMMENT "Image ${relative}/${image}")
    list(APPEND outputs ${output})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
  set_target_properties(${target} PROPERTIES SUITE_IMAGE_FILES "${outputs}"
                                             SUITE_IMAGE_DIR "${PROJECT_BINARY_DIR}/${relative}")
endfunction()

# suite_use_images(TARGET RC_FILE IMAGE_TARGET...)
# The resource script of TARGET names images of the image targets by file name.
function(suite_use_images target rc_file)
  foreach(images ${ARGN})
    get_target_property(files ${images} SUITE_IMAGE_FILES)
    get_target_property(folder ${images} SUITE_IMAGE_DIR)
    add_dependencies(${target} ${images})
    set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS ${files})
    target_include_directories(${target} PRIVATE ${folder})
  endforeach()
endfunction()
