# Makes the test sounds listed in tests/audio/sounds.txt with ffmpeg.
#   cmake -DFFMPEG=PATH -DLIST=sounds.txt -DOUT=FOLDER -P MakeSounds.cmake
# Every file is made afresh; the stamp file OUT/made is written last, so a
# failed run leaves no stamp and the build tries again.
file(MAKE_DIRECTORY ${OUT})
file(REMOVE ${OUT}/made)
file(STRINGS ${LIST} lines)
foreach(line IN LISTS lines)
  if(line MATCHES "^#" OR line STREQUAL "")
    continue()
  endif()
  separate_arguments(words UNIX_COMMAND "${line}")
  list(LENGTH words count)
  if(count LESS 5)
    message(FATAL_ERROR "${LIST}: a line has too few fields: ${line}")
  endif()
  list(GET words 1 name)
  list(GET words 2 channels)
  list(GET words 3 amplitude)
  list(GET words 4 seconds)
  list(SUBLIST words 5 -1 options)
  set(tone "${amplitude}*sin(2*PI*440*t)")
  if(channels EQUAL 2)
    set(tone "${tone}|${tone}")
  endif()
  execute_process(COMMAND ${FFMPEG} -nostdin -v error -y -f lavfi -i "aevalsrc=${tone}:s=44100:d=${seconds}"
                          ${options} ${OUT}/${name}
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "ffmpeg could not make ${name}: ${errors}")
  endif()
endforeach()
file(WRITE ${OUT}/made "")
