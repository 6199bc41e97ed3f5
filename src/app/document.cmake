# Table selection, document and view.
if(TARGET kestrel_gui)
  target_sources(kestrel_gui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/document_hooks.cpp)
endif()
