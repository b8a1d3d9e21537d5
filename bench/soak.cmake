# Soak driver for bench/compare-recorders --soak: the real recording path (SDL capture, output file,
# capture callback) at full speed on SDL's disk driver, every byte checked.
if(TARGET orvimo_capture_sdl)
  add_executable(orvimo_soak_recorder ${CMAKE_CURRENT_LIST_DIR}/soak_recorder.cpp)
  target_link_libraries(orvimo_soak_recorder PRIVATE orvimo_capture_sdl orvimo_capture_core orvimo_recording orvimo_encoding SDL2::SDL2
                                                     orvimo_base)
endif()
