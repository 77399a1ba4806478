# The GoogleTest suite built for Windows (included from cmake/Windows.cmake).
# GoogleTest itself is compiled from Debian's source (package googletest,
# /usr/src/googletest) with the same tool chain. The binary runs under wine:
# tests/windows/unit-test.sh runs it whole, as does ctest through the tool
# chain's emulator.
#
# The paths compiled into the tests are this machine's, seen by a Windows
# program through the drive that wine maps to the root folder (Z: unless
# told otherwise), so they are real absolute Windows paths.
if(NOT PELTO5_TESTS)
  return()
endif()
set(PELTO5_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source (Debian package googletest)")
set(PELTO5_TEST_DRIVE "Z:" CACHE STRING "The Windows drive that maps to the root folder of the build machine")
if(NOT EXISTS ${PELTO5_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "${PELTO5_GOOGLETEST_SOURCE} is missing (scripts/install-deps installs libgtest-dev)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${PELTO5_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

enable_testing()
file(GLOB_RECURSE PELTO5_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
list(FILTER PELTO5_TEST_SOURCES EXCLUDE REGEX "/tests/(layers|windows)/")
# The MIDI score is checked against Linux's FluidSynth, which the Windows
# build does not link (it plays MIDI through the system's synthesizer).
list(FILTER PELTO5_TEST_SOURCES EXCLUDE REGEX "/tests/audio/MidiScoreTest\\.cpp$")
add_executable(pelto5_tests ${PELTO5_TEST_SOURCES})
target_include_directories(pelto5_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src
                           ${SDL2_INCLUDE_DIRS} ${SDL2_MIXER_INCLUDE_DIRS} ${FFMPEG_INCLUDE_DIRS})
# GoogleTest's main is the program's: gtest_main comes first, so the linker
# takes main from it rather than SDL's (SDL2main, which the SDL layer links).
target_link_libraries(pelto5_tests PRIVATE gtest_main gtest pelto5_setup Freetype::Freetype PNG::PNG ZLIB::ZLIB
                      JPEG::JPEG GIF::GIF ${SDL2_MIXER_STATIC_LDFLAGS} ${SDL2_STATIC_LDFLAGS} ${FFMPEG_STATIC_LDFLAGS})
# POSIX calls the tests make that the C runtime spells differently.
# M_PI and friends need asking for in the Windows C headers. GCC 12 warns
# falsely (-Wrestrict) inside std::string::insert when it inlines it at -O2.
target_compile_options(pelto5_tests PRIVATE -include ${CMAKE_SOURCE_DIR}/tests/support/WindowsShims.h -Wno-restrict)
target_compile_definitions(pelto5_tests PRIVATE _USE_MATH_DEFINES SDL_MAIN_HANDLED)
set(drive ${PELTO5_TEST_DRIVE})
target_compile_definitions(pelto5_tests PRIVATE
  PELTO5_SOURCE_DIR="${drive}${CMAKE_SOURCE_DIR}"
  PELTO5_BINARY_DIR="${drive}${CMAKE_BINARY_DIR}"
  PELTO5_PLAYER="${drive}$<TARGET_FILE:pelto5>"
  PELTO5_PACK="${drive}$<TARGET_FILE:pelto5-pack>"
  PELTO5_TEST_VERSION="${PROJECT_VERSION}"
  PELTO5_SAMPLE_PLUGIN="${drive}$<TARGET_FILE:ppm-spi>"
  PELTO5_TEST_PLUGINS="${drive}${CMAKE_BINARY_DIR}/test-plugins")
add_dependencies(pelto5_tests pelto5 pelto5-plugin-host pelto5-pack ppm-spi)
include(${CMAKE_SOURCE_DIR}/cmake/TestSounds.cmake)
pelto5_test_sounds(pelto5_tests "${drive}")
if(TARGET runtime-library)
  add_dependencies(pelto5_tests runtime-library demo-package)
endif()

# The test plug-ins as DLLs, as on Linux.
foreach(variantText "red:00IN:0xFF0000:0" "blue:00IN:0x0000FF:0" "oldver:00AM:0x00FF00:0" "fail:00IN:0x000000:1")
  string(REPLACE ":" ";" variant ${variantText})
  list(GET variant 0 name)
  list(GET variant 1 version)
  list(GET variant 2 colour)
  list(GET variant 3 fail)
  add_library(test-spi-${name} MODULE ${CMAKE_SOURCE_DIR}/tests/image/plugins/FixedPlugIn.c)
  target_include_directories(test-spi-${name} PRIVATE ${CMAKE_SOURCE_DIR}/include)
  target_compile_definitions(test-spi-${name} PRIVATE FIXED_VERSION="${version}" FIXED_COLOUR=${colour})
  if(fail)
    target_compile_definitions(test-spi-${name} PRIVATE FIXED_FAIL)
  endif()
  set_target_properties(test-spi-${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name} SUFFIX ".spi"
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-plugins)
  add_dependencies(pelto5_tests test-spi-${name})
endforeach()
add_library(test-spi-faulty MODULE ${CMAKE_SOURCE_DIR}/tests/image/plugins/FaultyPlugIn.c)
target_include_directories(test-spi-faulty PRIVATE ${CMAKE_SOURCE_DIR}/include)
set_target_properties(test-spi-faulty PROPERTIES PREFIX "" OUTPUT_NAME faulty SUFFIX ".spi"
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-plugins)
add_dependencies(pelto5_tests test-spi-faulty)

# One test for the whole binary: listing the tests one by one would start
# wine once for each.
add_test(NAME pelto5_tests COMMAND pelto5_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
