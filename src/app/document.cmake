# Table selection, document and view.
# Plain C++: SELECT building (tested headless).
target_sources(kestrel_app PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/select_builder.cpp)
if(TARGET kestrel_sqltext)
  target_link_libraries(kestrel_app PUBLIC kestrel_sqltext)
endif()

if(TARGET kestrel_gui)
  target_sources(kestrel_gui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/document_hooks.cpp)
endif()
