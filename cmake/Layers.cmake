# The engine's layers as libraries. pelto5_layer(NAME FOLDER [BELOW...])
# makes the static library pelto5_NAME of the sources in src/FOLDER/ (that
# folder only, not its subfolders) linking the layers BELOW. Its headers
# are made reachable through a folder of its own,
# <build>/layers/NAME/FOLDER/, holding links to the headers of src/FOLDER/
# alone: a target sees a header only when it links the layer that has it,
# so an upward include cannot be written by mistake. (A subfolder of
# src/FOLDER is another layer, a backend, with a folder of its own.)
function(pelto5_layer name folder)
  set(stage ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${stage}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
  foreach(header ${headers})
    get_filename_component(file ${header} NAME)
    file(CREATE_LINK ${header} ${stage}/${folder}/${file} SYMBOLIC)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
  add_library(pelto5_${name} STATIC ${sources})
  target_include_directories(pelto5_${name} PUBLIC ${stage})
  foreach(below ${ARGN})
    target_link_libraries(pelto5_${name} PUBLIC pelto5_${below})
  endforeach()
endfunction()

# A check that the layers hold: the probe source includes HEADER and is
# compiled with the include folders of pelto5_NAME alone. EXPECT is FOUND
# (the header must compile: the layer's own, or one below) or MISSING (a
# header of a layer above, or of a backend, must not be found).
function(pelto5_layer_probe name label header expect)
  set(probe ${CMAKE_SOURCE_DIR}/tests/layers/LayerProbe.cpp)
  set(includes "-I$<JOIN:$<TARGET_PROPERTY:pelto5_${name},INCLUDE_DIRECTORIES>,;-I>")
  set(test Layers.${name}.${label})
  add_test(NAME ${test}
           COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only "${includes}"
                   "-DPROBE_HEADER=\"${header}\"" ${probe}
           COMMAND_EXPAND_LISTS)
  if(expect STREQUAL "MISSING")
    # Only a missing header counts as the expected failure.
    set_tests_properties(${test} PROPERTIES PASS_REGULAR_EXPRESSION "${header}: No such file or directory")
  endif()
endfunction()
