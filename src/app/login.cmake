# Login, connection profiles, options, start-up wiring.
# The password codec and the profile store are plain C++.
target_sources(kestrel_app PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/password_codec.cpp ${CMAKE_CURRENT_SOURCE_DIR}/connect_profile.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/login_filter_history.cpp ${CMAKE_CURRENT_SOURCE_DIR}/option_values.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/file_type_registration.cpp ${CMAKE_CURRENT_SOURCE_DIR}/connect_info_participant.cpp)
if(TARGET kestrel_regex)
  target_link_libraries(kestrel_app PUBLIC kestrel_regex)
endif()
# The session side is plain C++ on the Oracle layer and the SQL splitter.
if(TARGET kestrel_oci AND TARGET kestrel_sqltext)
  target_sources(kestrel_app PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/session_control.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/sql_tokenizer.cpp)
  target_link_libraries(kestrel_app PUBLIC kestrel_oci kestrel_sqltext)
endif()
if(TARGET kestrel_gui)
  target_sources(kestrel_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/login_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/login_dlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/login_flow.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/login_hooks.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/color_chooser.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/color_chooser.h
    ${CMAKE_CURRENT_SOURCE_DIR}/connect_info_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/connect_info_dlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/connect_info_edit_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/connect_info_edit_dlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/grid_option_page.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/grid_option_page.h
    ${CMAKE_CURRENT_SOURCE_DIR}/options_sheet.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/options_sheet.h
    ${CMAKE_CURRENT_SOURCE_DIR}/setup_page.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/setup_page.h)
endif()
