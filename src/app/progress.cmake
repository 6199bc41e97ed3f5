# Background operations: the query dialog, the progress dialog and the save
# runner. A Qt library of their own (joined to kestrel_gui), so that their
# tests need none of the rest of the program's windows. The worker and its
# cancel logic live in kestrel_platform.
if(TARGET kestrel_gui)
  add_library(kestrel_progress_gui STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/cancel_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/cancel_dlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/common_cancel_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/common_cancel_dlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/operation_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/operation_dlg.h
  )
  target_include_directories(kestrel_progress_gui PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kestrel_progress_gui PUBLIC kestrel_platform Qt6::Widgets)
  if(TARGET kestrel_griddata AND TARGET kestrel_oci)
    target_sources(kestrel_progress_gui PRIVATE
      ${CMAKE_CURRENT_SOURCE_DIR}/save_runner.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/save_runner.h)
    target_link_libraries(kestrel_progress_gui PUBLIC kestrel_griddata kestrel_oci)
  endif()
  target_link_libraries(kestrel_gui PUBLIC kestrel_progress_gui)
endif()
