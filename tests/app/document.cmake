# Table selection, document and view.
kestrel_test(app_document object_filter_test.cpp select_builder_test.cpp tern_doc_test.cpp)
target_link_libraries(app_document_tests PRIVATE kestrel_app)

if(KESTREL_BUILD_GUI AND TARGET kestrel_gui)
  kestrel_test(app_document_gui tern_view_test.cpp)
  target_link_libraries(app_document_gui_tests PRIVATE kestrel_gui)
endif()
