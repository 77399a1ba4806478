# The Windows build (cross-compiled with mingw-w64, see cmake/mingw-*.cmake
# and scripts/build-windows): the same engine layers with the SDL backend,
# linked statically to SDL2, SDL2_mixer, FreeType, libpng, zlib,
# libjpeg-turbo, giflib and FFmpeg (with libopenmpt) built for Windows by
# scripts/build-windows-deps (their prefix is PELTO5_WINDOWS_DEPS). No
# fontconfig (the faces are the system's and those shipped in fonts/), no
# FluidSynth (MIDI plays on the system's synthesizer). Everything installs
# into one flat folder: the programs, the runtime library, the demo and the
# faces side by side.
set(PELTO5_WINDOWS_DEPS "" CACHE PATH "Prefix of the libraries built for Windows")
if(NOT PELTO5_WINDOWS_DEPS)
  message(FATAL_ERROR "PELTO5_WINDOWS_DEPS is not set (scripts/build-windows sets it)")
endif()
# pkg-config looks into the Windows libraries only, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${PELTO5_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_PREFIX_PATH ${PELTO5_WINDOWS_DEPS})
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED sdl2)
# SDL2_mixer is built without codec libraries, so it needs nothing beyond
# SDL2; its CMake build installs no pkg-config file in every version.
find_path(SDL2_MIXER_INCLUDE_DIRS SDL_mixer.h PATH_SUFFIXES SDL2 REQUIRED)
find_library(SDL2_MIXER_STATIC_LDFLAGS NAMES SDL2_mixer REQUIRED)
pkg_check_modules(FFMPEG REQUIRED libavformat libavcodec libavutil libswresample)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF 5 REQUIRED)
find_package(Freetype REQUIRED)

# No console window for the player and its plug-in helper; -static keeps
# the compiler's own runtime (libstdc++, libgcc, winpthread) inside the
# programs, so the folder needs no DLL of the tool chain.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
# GCC 12's -Wrestrict takes std::string's own copies, inlined at "a" + text,
# for overlapping copies of 2^31 bytes or more (GCC bug 105329); the
# mingw-w64 compilers report it at dozens of ordinary concatenations.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>)
endif()

include(${CMAKE_SOURCE_DIR}/cmake/Layers.cmake)

# Drops the sources matching regex from a layer's library.
function(pelto5_drop_sources target regex)
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources EXCLUDE REGEX "${regex}")
  set_property(TARGET ${target} PROPERTY SOURCES ${sources})
endfunction()

pelto5_layer(base base)
pelto5_layer(platform platform base)
# ole32 and sapi (the speech API's interface identifiers) for reading aloud.
target_link_libraries(pelto5_platform PUBLIC PNG::PNG comdlg32 shell32 ole32 sapi)
pelto5_layer(content content platform)
target_link_libraries(pelto5_content PUBLIC ZLIB::ZLIB)
pelto5_layer(script script content)
pelto5_layer(image image script)
target_include_directories(pelto5_image PUBLIC ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(pelto5_image PRIVATE PNG::PNG JPEG::JPEG GIF::GIF)
pelto5_layer(graphics graphics image)
pelto5_layer(audio audio graphics)
pelto5_layer(exec exec audio)
pelto5_layer(save save exec)
pelto5_layer(lint lint save)
pelto5_layer(shell shell lint)
# (No configured plug-in folder: the "plugins" folder beside pelto5.exe is
# the installed one, and a relative folder would be the current one's.)

pelto5_layer(media media platform)
pelto5_drop_sources(pelto5_media "/(MidiDecoder|MidiSynth|SoundFontLocator)\\.cpp$")
target_include_directories(pelto5_media PRIVATE ${FFMPEG_INCLUDE_DIRS})
target_link_libraries(pelto5_media PRIVATE ${FFMPEG_STATIC_LDFLAGS} winmm)
pelto5_layer(fonts platform/fonts platform)
pelto5_drop_sources(pelto5_fonts "/FontconfigLocator\\.cpp$")
target_link_libraries(pelto5_fonts PRIVATE Freetype::Freetype)
pelto5_layer(headless platform/headless platform media)
pelto5_layer(sdl platform/sdl platform media)
target_include_directories(pelto5_sdl PRIVATE ${SDL2_INCLUDE_DIRS} ${SDL2_MIXER_INCLUDE_DIRS})
target_link_libraries(pelto5_sdl PRIVATE ${SDL2_MIXER_STATIC_LDFLAGS} ${SDL2_STATIC_LDFLAGS})

add_library(pelto5_engine INTERFACE)
target_link_libraries(pelto5_engine INTERFACE pelto5_shell pelto5_sdl pelto5_headless pelto5_fonts pelto5_media)
add_library(pelto5_setup OBJECT ${CMAKE_SOURCE_DIR}/src/app/ProgramSetUp.cpp)
target_link_libraries(pelto5_setup PUBLIC pelto5_engine)
target_include_directories(pelto5_setup PRIVATE ${CMAKE_SOURCE_DIR}/src)

# The program's resources: the manifest (per-monitor DPI aware, long paths,
# UTF-8 independent of the system's code page, common controls 6) and the
# version block.
configure_file(${CMAKE_SOURCE_DIR}/data/windows/resources.rc.in ${CMAKE_BINARY_DIR}/pelto5.rc @ONLY)

add_executable(pelto5-plugin-host WIN32 ${CMAKE_SOURCE_DIR}/tools/plugin-host/main.cpp)
target_link_libraries(pelto5-plugin-host PRIVATE pelto5_image)

file(GLOB PELTO5_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/*.cpp)
list(FILTER PELTO5_APP_SOURCES EXCLUDE REGEX "/ProgramSetUp.cpp$")
add_executable(pelto5 WIN32 ${PELTO5_APP_SOURCES} ${CMAKE_BINARY_DIR}/pelto5.rc)
target_include_directories(pelto5 PRIVATE ${CMAKE_SOURCE_DIR}/src ${SDL2_INCLUDE_DIRS} ${SDL2_MIXER_INCLUDE_DIRS}
                           ${FFMPEG_INCLUDE_DIRS})
target_link_libraries(pelto5 PRIVATE pelto5_engine Freetype::Freetype PNG::PNG ZLIB::ZLIB JPEG::JPEG GIF::GIF
                      ${SDL2_MIXER_STATIC_LDFLAGS} ${SDL2_STATIC_LDFLAGS} ${FFMPEG_STATIC_LDFLAGS})
target_compile_definitions(pelto5 PRIVATE PELTO5_VERSION="${PROJECT_VERSION}" PELTO5_LINKS_SDL=1
                           PELTO5_LINKS_JPEG=1 PELTO5_LINKS_GIF=1 PELTO5_LINKS_FFMPEG=1)
add_dependencies(pelto5 pelto5-plugin-host)

file(GLOB PELTO5_PACK_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/pack/*.cpp)
add_executable(pelto5-pack ${PELTO5_PACK_SOURCES} ${CMAKE_SOURCE_DIR}/src/app/LibraryVersions.cpp
               ${CMAKE_BINARY_DIR}/pelto5.rc)
target_include_directories(pelto5-pack PRIVATE ${CMAKE_SOURCE_DIR}/src ${SDL2_INCLUDE_DIRS}
                           ${SDL2_MIXER_INCLUDE_DIRS} ${FFMPEG_INCLUDE_DIRS})
target_link_libraries(pelto5-pack PRIVATE pelto5_setup Freetype::Freetype PNG::PNG ZLIB::ZLIB JPEG::JPEG GIF::GIF
                      ${SDL2_MIXER_STATIC_LDFLAGS} ${SDL2_STATIC_LDFLAGS} ${FFMPEG_STATIC_LDFLAGS})
target_compile_definitions(pelto5-pack PRIVATE PELTO5_VERSION="${PROJECT_VERSION}" PELTO5_LINKS_SDL=1
                           PELTO5_LINKS_JPEG=1 PELTO5_LINKS_GIF=1 PELTO5_LINKS_FFMPEG=1)

# The sample image plug-in as a DLL, built into plugins/ as on Linux.
add_library(ppm-spi MODULE ${CMAKE_SOURCE_DIR}/plugins/ppm/PpmPlugIn.c)
target_include_directories(ppm-spi PRIVATE ${CMAKE_SOURCE_DIR}/include)
set_target_properties(ppm-spi PROPERTIES PREFIX "" OUTPUT_NAME "ppm" SUFFIX ".spi"
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plugins)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # 32-bit plug-ins export their stdcall entry points undecorated.
  target_link_options(ppm-spi PRIVATE -Wl,--kill-at)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/data/CMakeLists.txt)
  add_subdirectory(data)
endif()

# The flat folder of the zip and the installer.
install(TARGETS pelto5 pelto5-plugin-host pelto5-pack RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/peltort5.pml ${CMAKE_BINARY_DIR}/demo.pp5 DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/include/pelto5/spi.h DESTINATION sdk)
install(FILES ${CMAKE_SOURCE_DIR}/plugins/ppm/PpmPlugIn.c DESTINATION sdk)
install(DIRECTORY DESTINATION plugins)
# The IPA faces, the stand-ins for the Windows Japanese faces on a system
# without them (they carry their own licence, installed beside them).
set(PELTO5_WINDOWS_FONTS "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
    "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"
    "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf"
    "/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf")
foreach(font ${PELTO5_WINDOWS_FONTS})
  if(NOT EXISTS ${font})
    message(FATAL_ERROR "${font} is missing (scripts/install-deps installs the IPA faces)")
  endif()
endforeach()
install(FILES ${PELTO5_WINDOWS_FONTS} DESTINATION fonts)
# The build folder is a player folder too (the tests run it under wine).
file(COPY ${PELTO5_WINDOWS_FONTS} DESTINATION ${CMAKE_BINARY_DIR}/fonts)
install(FILES /usr/share/doc/fonts-ipafont-gothic/copyright DESTINATION fonts RENAME IPA-FONT-LICENSE.txt)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)
# The licences of the libraries linked into the programs (FFmpeg's LGPL
# among them), as scripts/build-windows-deps left them.
file(GLOB PELTO5_WINDOWS_LICENCES ${PELTO5_WINDOWS_DEPS}/share/licenses/*.txt)
install(FILES ${PELTO5_WINDOWS_LICENCES} DESTINATION licenses)

# The test suite (its own file, kept apart from the build above).
include(${CMAKE_SOURCE_DIR}/cmake/WindowsTests.cmake)
