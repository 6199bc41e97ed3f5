# Table selection, document and view.
kestrel_test(app_document object_filter_test.cpp select_builder_test.cpp tern_doc_test.cpp)
target_link_libraries(app_document_tests PRIVATE kestrel_app)

# Against a fresh copy of the ocilite demo database per test.
if(TARGET ocilite AND TARGET kestrel_ocilite AND TARGET kestrel_oci AND TARGET kestrel_griddata)
  kestrel_test(app_document_db table_query_test.cpp document_script_test.cpp lob_commands_test.cpp)
  target_link_libraries(app_document_db_tests PRIVATE kestrel_app)
  add_dependencies(app_document_db_tests ocilite kestrel_ocilite)
  target_compile_definitions(app_document_db_tests PRIVATE
    KESTREL_TEST_OCILITE_TOOL="$<TARGET_FILE:ocilite>"
    KESTREL_TEST_OCILITE_LIB="$<TARGET_FILE:kestrel_ocilite>")
endif()

if(KESTREL_BUILD_GUI AND TARGET kestrel_gui)
  kestrel_test(app_document_gui tern_view_test.cpp)
  target_link_libraries(app_document_gui_tests PRIVATE kestrel_gui)
  if(TARGET ocilite AND TARGET kestrel_ocilite)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    kestrel_test(app_document_ui table_list_dlg_test.cpp document_view_test.cpp document_e2e_test.cpp)
    target_link_libraries(app_document_ui_tests PRIVATE kestrel_gui Qt6::Test)
    add_dependencies(app_document_ui_tests ocilite kestrel_ocilite)
    target_compile_definitions(app_document_ui_tests PRIVATE
      KESTREL_TEST_OCILITE_TOOL="$<TARGET_FILE:ocilite>"
      KESTREL_TEST_OCILITE_LIB="$<TARGET_FILE:kestrel_ocilite>")
  endif()
endif()
