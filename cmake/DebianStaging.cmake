# Run by CPack on the staged files before it builds a Debian package: the
# manual pages and the changelog go in compressed, as Debian wants them
# (gzip -9n: no name or time stamp, so the same sources give the same
# bytes), and the programs lose the compiler's identification notes
# (.comment, .note) as in Debian's own packages (CPack has stripped their
# symbols). `cmake --install` and the other generators keep the files as
# they are.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
find_program(PELTO5_GZIP gzip REQUIRED)
find_program(PELTO5_OBJCOPY objcopy REQUIRED)
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${root}/share")
  message(FATAL_ERROR "DebianStaging: no staged share/ folder in ${root}")
endif()

function(pelto5_gzip file)
  execute_process(COMMAND ${PELTO5_GZIP} -9nf "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "DebianStaging: gzip ${file} failed")
  endif()
endfunction()

file(GLOB_RECURSE pages "${root}/share/man/*.[1-9]")
foreach(page IN LISTS pages)
  pelto5_gzip("${page}")
endforeach()

set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")
configure_file("${CPACK_PELTO5_CHANGELOG}" "${doc}/changelog" COPYONLY)
pelto5_gzip("${doc}/changelog")

file(GLOB_RECURSE files LIST_DIRECTORIES false "${root}/bin/*" "${root}/lib/*")
foreach(file IN LISTS files)
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND ${PELTO5_OBJCOPY} --remove-section=.comment --remove-section=.note "${file}"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "DebianStaging: objcopy ${file} failed")
    endif()
  endif()
endforeach()
