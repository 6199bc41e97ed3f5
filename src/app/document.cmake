# Table selection, document and view.
# Plain C++: the object filter, SELECT building, the dictionary lists, the
# table selection's OK steps, the workers, the LOB command rules and the
# document (tested headless).
target_sources(kestrel_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/object_filter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/select_builder.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tern_doc.cpp
)
if(TARGET kestrel_oci AND TARGET kestrel_griddata)
  target_sources(kestrel_app PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/document_workers.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/lob_commands.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/table_catalog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/table_query.cpp
  )
endif()
foreach(lib kestrel_regex kestrel_sqltext kestrel_griddata kestrel_oci)
  if(TARGET ${lib})
    target_link_libraries(kestrel_app PUBLIC ${lib})
  endif()
endforeach()

# The view, the dialogs and the wiring into the main window.
if(TARGET kestrel_gui)
  target_sources(kestrel_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/catalog_list_model.h
    ${CMAKE_CURRENT_SOURCE_DIR}/document_commands.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/document_dialogs.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/document_dialogs.h
    ${CMAKE_CURRENT_SOURCE_DIR}/document_hooks.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/table_list_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/table_list_dlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/tern_view.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tern_view.h
  )
endif()
