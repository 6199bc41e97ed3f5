# Table selection, document and view.
# Plain C++: the object filter, SELECT building and the document (tested headless).
target_sources(kestrel_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/object_filter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/select_builder.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tern_doc.cpp
)
foreach(lib kestrel_regex kestrel_sqltext kestrel_griddata kestrel_oci)
  if(TARGET ${lib})
    target_link_libraries(kestrel_app PUBLIC ${lib})
  endif()
endforeach()

# The view and the wiring into the main window.
if(TARGET kestrel_gui)
  target_sources(kestrel_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/document_hooks.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tern_view.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tern_view.h
  )
endif()
