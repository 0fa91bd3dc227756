# `cmake --install` into a fresh prefix: the programs, the plug-in library,
# the desktop's menu entry and icon are where they belong, and an installed
# host finds the plug-in library from its own folder (`vuconf check` opens it
# before it reads: /dev/null is then refused as no regular file, status 1,
# where a library not found is status 2).
#   cmake -DBUILD=FOLDER -DPREFIX=FOLDER -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE status OUTPUT_QUIET)
if(status)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file bin/tactolo bin/tactolo-desktop share/applications/tactolo-desktop.desktop
             share/icons/hicolor/scalable/apps/tactolo-desktop.svg)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(GLOB_RECURSE plugin ${PREFIX}/*/libtactolo-plugin.so)
if(NOT plugin MATCHES "/tactolo/libtactolo-plugin.so$")
  message(FATAL_ERROR "the plug-in library is not in a tactolo folder of its own: '${plugin}'")
endif()
execute_process(COMMAND env -u TACTOLO_PLUGIN ${PREFIX}/bin/tactolo vuconf check /dev/null
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 1 OR NOT out MATCHES "^/dev/null: error: ")
  message(FATAL_ERROR "the installed tactolo did not read with the installed plug-in: status ${status}: ${out}${err}")
endif()
file(REMOVE_RECURSE ${PREFIX})
