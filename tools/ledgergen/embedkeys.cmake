# Turns the test keys made at build time into a source file, so that ledgergen signs wherever it is run.
# -DKEYS=folder with root.pem, taxpayer.pem, gib.pem, ecdsa256.pem, ecdsa384.pem, ecdsa521.pem; -DOUT=header to write.
set(_text "// Generated at build time from freshly made test keys; never commit.\n#pragma once\n\nnamespace ledgergen::testkeys {\n\n")
foreach(_name root taxpayer gib ecdsa256 ecdsa384 ecdsa521)
    file(READ "${KEYS}/${_name}.pem" _pem)
    string(SUBSTRING "${_name}" 0 1 _first)
    string(TOUPPER "${_first}" _first)
    string(SUBSTRING "${_name}" 1 -1 _rest)
    string(APPEND _text "inline constexpr const char* k${_first}${_rest} = R\"PEM(${_pem})PEM\";\n\n")
endforeach()
string(APPEND _text "} // namespace ledgergen::testkeys\n")
file(WRITE "${OUT}" "${_text}")
