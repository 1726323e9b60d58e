# Writes KORALU.INI from its template with the family folder ROOT:
#   cmake -DTEMPLATE=... -DOUTPUT=... -DROOT=... -P write_ini.cmake
# Also included by the install step, which sets the same three variables.
get_filename_component(ROOT "${ROOT}" ABSOLUTE)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY NEWLINE_STYLE CRLF)
