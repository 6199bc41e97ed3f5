# Background operations: the two progress dialogs with fake workers, and the
# save runner against the stand-in client.
if(KESTREL_BUILD_GUI AND TARGET kestrel_gui)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  kestrel_test(app_progress_gui cancel_dlg_test.cpp common_cancel_dlg_test.cpp)
  target_link_libraries(app_progress_gui_tests PRIVATE kestrel_progress_gui Qt6::Test)

  if(TARGET kestrel_griddata AND TARGET kestrel_oci)
    kestrel_test(app_save_runner_gui save_runner_test.cpp ../oci/oci_test_support.cpp)
    target_link_libraries(app_save_runner_gui_tests PRIVATE kestrel_progress_gui Qt6::Test)
    target_compile_definitions(app_save_runner_gui_tests PRIVATE KESTREL_OCI_FAKES_DIR="")
    if(TARGET kestrel_ocilite)
      add_dependencies(app_save_runner_gui_tests kestrel_ocilite)
      target_compile_definitions(app_save_runner_gui_tests PRIVATE
        KESTREL_OCILITE_PATH="$<TARGET_FILE:kestrel_ocilite>")
    endif()
    if(TARGET ocilite)
      add_dependencies(app_save_runner_gui_tests ocilite)
      target_compile_definitions(app_save_runner_gui_tests PRIVATE KESTREL_OCILITE_TOOL="$<TARGET_FILE:ocilite>")
    endif()
  endif()
endif()
