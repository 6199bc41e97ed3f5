# The editor control widget: kestrel_sqltext_gui, linked by the application.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_library(kestrel_sqltext_gui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/edit_ctrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_ctrl.h
  ${CMAKE_CURRENT_LIST_DIR}/edit_ctrl_p.h
  ${CMAKE_CURRENT_LIST_DIR}/edit_ctrl_cell_editor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_ctrl_cell_editor.h
  ${CMAKE_CURRENT_LIST_DIR}/edit_ctrl_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_ctrl_paint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_ctrl_wrap.cpp
)
target_include_directories(kestrel_sqltext_gui PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(kestrel_sqltext_gui PUBLIC kestrel_sqltext kestrel_platform Qt6::Widgets)
# The cell editor adapter installs itself in the grid control (defined later
# in the tree, resolved when the build is generated).
if(EXISTS ${PROJECT_SOURCE_DIR}/src/gridctrl/grid_ctrl_editor.h)
  target_link_libraries(kestrel_sqltext_gui PUBLIC kestrel_gridctrl_gui)
endif()
