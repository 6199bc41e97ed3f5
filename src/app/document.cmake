# Table selection, document and view.
# Plain C++: SELECT building and the document (tested headless).
target_sources(kestrel_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/select_builder.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tern_doc.cpp
)
foreach(lib kestrel_sqltext kestrel_griddata kestrel_oci)
  if(TARGET ${lib})
    target_link_libraries(kestrel_app PUBLIC ${lib})
  endif()
endforeach()

if(TARGET kestrel_gui)
  target_sources(kestrel_gui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/document_hooks.cpp)
endif()
