# The program's icon, drawn by make_icon into the build tree's share/icons (beside the
# shipped data folder, where the program finds its window icon).
target_link_libraries(make_icon PRIVATE Qt6::Gui)
set(_icons "${CMAKE_BINARY_DIR}/share/icons")
set(_id "io.github.varnak.Varnak")
set(_icon_files "${_icons}/hicolor/scalable/apps/${_id}.svg")
foreach(_s 48 128 256)
  list(APPEND _icon_files "${_icons}/hicolor/${_s}x${_s}/apps/${_id}.png")
endforeach()
add_custom_command(OUTPUT ${_icon_files}
  COMMAND make_icon "${_icons}" "${_id}"
  DEPENDS make_icon
  COMMENT "Drawing the icon")
add_custom_target(icon ALL DEPENDS ${_icon_files})
add_dependencies(varnak_data icon)
