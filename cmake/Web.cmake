# The browser build (emcmake): the same engine sources with the web
# platform layer in place of SDL, linked to zlib, libpng, FreeType,
# libjpeg-turbo and giflib built for WebAssembly by scripts/build-web-deps
# (pass their prefix as CMAKE_PREFIX_PATH). The product is pelto5.js and
# pelto5.wasm; scripts/build-web puts them into a site folder with the
# page, the fonts, the runtime library and the game.
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF 5 REQUIRED)
find_package(Freetype REQUIRED)

file(GLOB_RECURSE PELTO5_CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
list(FILTER PELTO5_CORE_SOURCES EXCLUDE REGEX "/src/app/")
# No SDL, no FFmpeg or synthesizer (the page decodes sound, and its own
# FluidSynth renders the MIDI files the engine's sequencer plays), no
# fontconfig (the faces are the font files shipped with the page).
list(FILTER PELTO5_CORE_SOURCES EXCLUDE REGEX "/src/platform/sdl/")
list(FILTER PELTO5_CORE_SOURCES EXCLUDE REGEX "/src/media/")
list(FILTER PELTO5_CORE_SOURCES EXCLUDE REGEX "/src/platform/fonts/FontconfigLocator.cpp$")
list(APPEND PELTO5_CORE_SOURCES ${CMAKE_SOURCE_DIR}/src/media/AudioGain.cpp
     ${CMAKE_SOURCE_DIR}/src/media/MidiFile.cpp ${CMAKE_SOURCE_DIR}/src/media/MidiSequencer.cpp
     ${CMAKE_SOURCE_DIR}/src/media/MidiScore.cpp)
add_library(pelto5core STATIC ${PELTO5_CORE_SOURCES})
target_include_directories(pelto5core PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(pelto5core PUBLIC Freetype::Freetype PNG::PNG ZLIB::ZLIB JPEG::JPEG GIF::GIF)
target_compile_definitions(pelto5core PUBLIC PELTO5_VERSION="${PROJECT_VERSION}")
# Plug-ins are native shared objects; the browser build has none.
target_compile_definitions(pelto5core PRIVATE PELTO5_PLUGIN_DIR="/plugins")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/app/LibraryVersions.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             PELTO5_LINKS_JPEG=1 PELTO5_LINKS_GIF=1)

file(GLOB PELTO5_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/*.cpp)
list(FILTER PELTO5_APP_SOURCES EXCLUDE REGEX "/ProgramSetUp.cpp$")
add_executable(pelto5 ${PELTO5_APP_SOURCES})
target_link_libraries(pelto5 PRIVATE pelto5core)
# Asyncify lets the engine's waits and modal dialogs hand the thread back
# to the browser and resume; the stack it saves must hold the deepest wait
# (a dialog inside a command inside a timer tick).
target_link_options(pelto5 PRIVATE
  -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=262144
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864
  -sENVIRONMENT=web -sFORCE_FILESYSTEM=1 -lidbfs.js
  "-sEXPORTED_FUNCTIONS=_main,_malloc,_free,_pelto5_web_pointer,_pelto5_web_key"
  "-sEXPORTED_RUNTIME_METHODS=FS,IDBFS,addRunDependency,removeRunDependency")
