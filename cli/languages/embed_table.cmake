# Writes languages.tsv into a header as one raw string literal; language_table.cpp parses
# and checks it at compile time. Run as: cmake -DINPUT=... -DOUTPUT=... -P embed_table.cmake
file(READ "${INPUT}" content)
if(content MATCHES "\\)cvn_tsv\"")
  message(FATAL_ERROR "${INPUT} must not contain the text )cvn_tsv\"")
endif()
set(header "// Generated from languages.tsv by embed_table.cmake.\n#pragma once\n\n")
string(APPEND header "#include <string_view>\n\nnamespace cvn::cli {\n\n")
string(APPEND header "inline constexpr std::string_view kLanguageTsv = R\"cvn_tsv(${content})cvn_tsv\";\n")
string(APPEND header "\n}  // namespace cvn::cli\n")
file(WRITE "${OUTPUT}.tmp" "${header}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
