# The project's fontconfig file: only the DejaVu fonts the project installs. Tests and
# benchmarks that draw text run with FONTCONFIG_FILE set to KV_FONTCONFIG_FILE, so their
# pixels and widths do not depend on the fonts of the machine.
set(KV_FONT_CACHE_DIR ${CMAKE_BINARY_DIR}/fonts/cache)
set(KV_FONTCONFIG_FILE ${CMAKE_BINARY_DIR}/fonts/fonts.conf)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fonts.conf.in ${KV_FONTCONFIG_FILE} @ONLY)
