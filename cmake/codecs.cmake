# The codec libraries: orvimo_codecs for the encoders (libFLAC, libopusenc with libopus, LAME) and
# orvimo_codec_decoders for what the tests read the files back with (libopusfile; libFLAC and LAME
# decode too). Linux takes Debian's packages; the Windows cross-build links static libraries built from
# Debian's source packages by scripts/build-codecs-mingw, which builds them once into its cache; a native
# MinGW build takes its own packages through pkg-config, as Linux does.
include_guard(GLOBAL)
add_library(orvimo_codecs INTERFACE)
add_library(orvimo_codec_decoders INTERFACE)

if(WIN32 AND CMAKE_CROSSCOMPILING)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-codecs-mingw
                  OUTPUT_VARIABLE ORVIMO_CODECS_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE codecs_result)
  if(NOT codecs_result EQUAL 0 OR NOT EXISTS ${ORVIMO_CODECS_PREFIX}/lib/libFLAC.a)
    message(FATAL_ERROR "scripts/build-codecs-mingw failed (${codecs_result})")
  endif()
  message(STATUS "Codec libraries: ${ORVIMO_CODECS_PREFIX}")
  # Each archive names the ones it needs, so CMake orders them on the link line.
  function(orvimo_codec_archive name file)
    add_library(orvimo_mingw_${name} STATIC IMPORTED GLOBAL)
    set_target_properties(orvimo_mingw_${name} PROPERTIES IMPORTED_LOCATION ${ORVIMO_CODECS_PREFIX}/lib/${file}
                                                          INTERFACE_LINK_LIBRARIES "${ARGN}")
  endfunction()
  orvimo_codec_archive(ogg libogg.a)
  # libopus's configure builds with _FORTIFY_SOURCE, whose checked memcpy lives in libssp (static here).
  orvimo_codec_archive(opus libopus.a ssp)
  orvimo_codec_archive(opusenc libopusenc.a orvimo_mingw_opus)
  orvimo_codec_archive(flac libFLAC.a)
  orvimo_codec_archive(mp3lame libmp3lame.a)
  orvimo_codec_archive(opusfile libopusfile.a orvimo_mingw_opus orvimo_mingw_ogg)
  # opusenc.h includes <opus.h> from its own folder.
  target_include_directories(orvimo_codecs SYSTEM INTERFACE ${ORVIMO_CODECS_PREFIX}/include
                                                             ${ORVIMO_CODECS_PREFIX}/include/opus)
  # Static libFLAC: its headers must not ask for DLL imports.
  target_compile_definitions(orvimo_codecs INTERFACE FLAC__NO_DLL)
  target_link_libraries(orvimo_codecs INTERFACE orvimo_mingw_opusenc orvimo_mingw_flac orvimo_mingw_mp3lame)
  target_link_libraries(orvimo_codec_decoders INTERFACE orvimo_mingw_opusfile orvimo_codecs)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ORVIMO_CODEC_LIBS REQUIRED IMPORTED_TARGET GLOBAL flac libopusenc opus lame)
  pkg_check_modules(ORVIMO_DECODER_LIBS REQUIRED IMPORTED_TARGET GLOBAL opusfile)
  target_link_libraries(orvimo_codecs INTERFACE PkgConfig::ORVIMO_CODEC_LIBS)
  target_link_libraries(orvimo_codec_decoders INTERFACE PkgConfig::ORVIMO_DECODER_LIBS orvimo_codecs)
  if(WIN32)
    target_compile_definitions(orvimo_codecs INTERFACE FLAC__NO_DLL)  # linked statically
  endif()
endif()
