# Table selection, document and view.
kestrel_test(app_document select_builder_test.cpp tern_doc_test.cpp)
target_link_libraries(app_document_tests PRIVATE kestrel_app)
