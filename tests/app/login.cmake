# Login area: sessions, the login dialog and flow, against ocilite.
if(KESTREL_BUILD_GUI AND TARGET kestrel_gui AND TARGET ocilite AND TARGET kestrel_ocilite)
  kestrel_test(app_login password_codec_test.cpp login_filter_history_test.cpp connect_profile_test.cpp session_control_test.cpp login_dlg_test.cpp
    connect_info_dlg_test.cpp options_sheet_test.cpp startup_test.cpp dialog_screenshots_test.cpp)
  target_link_libraries(app_login_tests PRIVATE kestrel_gui)
  add_dependencies(app_login_tests ocilite kestrel_ocilite kestrel)
  target_compile_definitions(app_login_tests PRIVATE
    KESTREL_TEST_OCILITE_TOOL="$<TARGET_FILE:ocilite>"
    KESTREL_TEST_OCILITE_LIB="$<TARGET_FILE:kestrel_ocilite>"
    KESTREL_TEST_PROGRAM="$<TARGET_FILE:kestrel>")
endif()
