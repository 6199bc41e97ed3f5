# Login, connection profiles, options, start-up wiring.
if(TARGET kestrel_gui)
  target_sources(kestrel_gui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/login_hooks.cpp)
endif()
