# The sound files of the audio tests (tests/audio/sounds.txt), made at build
# time with the build machine's ffmpeg into <build>/test-sounds/. A test
# binary that builds after them is told their folder as PELTO5_TEST_SOUNDS,
# spelled with prefix in front (the drive a Windows build sees it through);
# without ffmpeg nothing is made and the tests that need them say so.
function(pelto5_test_sounds target prefix)
  find_program(PELTO5_FFMPEG ffmpeg)
  if(NOT PELTO5_FFMPEG)
    message(STATUS "ffmpeg not found: the audio tests that decode its sound files will be skipped")
    return()
  endif()
  set(out ${CMAKE_BINARY_DIR}/test-sounds)
  add_custom_command(OUTPUT ${out}/made
    COMMAND ${CMAKE_COMMAND} -DFFMPEG=${PELTO5_FFMPEG} -DLIST=${CMAKE_SOURCE_DIR}/tests/audio/sounds.txt
            -DOUT=${out} -P ${CMAKE_SOURCE_DIR}/tests/audio/MakeSounds.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/audio/sounds.txt ${CMAKE_SOURCE_DIR}/tests/audio/MakeSounds.cmake
    COMMENT "Making the test sounds with ffmpeg" VERBATIM)
  add_custom_target(test-sounds DEPENDS ${out}/made)
  add_dependencies(${target} test-sounds)
  target_compile_definitions(${target} PRIVATE PELTO5_TEST_SOUNDS="${prefix}${out}")
endfunction()
