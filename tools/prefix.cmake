# prefix.lst, the shipped prefix table, generated from the country file of Debian's
# hamradio-files package.
set(VARNAK_CTY_CSV "/usr/share/hamradio-files/cty.csv")
add_custom_command(OUTPUT "${VARNAK_DATA_DIR}/prefix.lst"
  COMMAND prefix_from_cty "${VARNAK_CTY_CSV}" "${VARNAK_DATA_DIR}/prefix.lst"
  DEPENDS prefix_from_cty "${VARNAK_CTY_CSV}"
  COMMENT "Generating prefix.lst from cty.csv"
  VERBATIM)
add_custom_target(prefix_lst ALL DEPENDS "${VARNAK_DATA_DIR}/prefix.lst")
add_dependencies(varnak_data prefix_lst)
