# qpdf before 11.4 declares JSON::JSON_array, a std::vector<JSON>, inside the still incomplete
# JSON; clang with libstdc++ in C++20 mode rejects that (GCC accepts it). For clang builds a
# copy of JSON.hh with JSON_array defined after JSON, as qpdf 11.4 does, comes first on the
# include path. The layout of every type is unchanged.
function(quorvel_qpdf_json_for_clang target)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR NOT QPDF_VERSION VERSION_LESS 11.4)
    return()
  endif()
  find_file(QPDF_JSON_HEADER qpdf/JSON.hh HINTS ${QPDF_INCLUDE_DIRS} REQUIRED)
  file(READ "${QPDF_JSON_HEADER}" header)
  string(REGEX MATCH "    struct JSON_array: public JSON_value\n    {[^}]*}[^}]*};\n" array "${header}")
  if(array STREQUAL "")
    message(FATAL_ERROR "${QPDF_JSON_HEADER}: JSON_array not found where expected")
  endif()
  string(REPLACE "${array}" "    struct JSON_array;\n" header "${header}")
  string(REPLACE "struct JSON_array: public JSON_value" "struct JSON::JSON_array: public JSON::JSON_value"
                 array "${array}")
  string(REPLACE "#endif // JSON_HH" "${array}\n#endif // JSON_HH" header "${header}")
  set(compat ${CMAKE_BINARY_DIR}/qpdf-cxx20)
  file(WRITE ${compat}/qpdf/JSON.hh "${header}")
  target_include_directories(${target} BEFORE PRIVATE ${compat})
endfunction()
