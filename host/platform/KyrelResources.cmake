# Embedded files and version records for modules of the host.
#
#   kyrel_embed_resources(<target> TYPE <type> FILES <file>...)
#     Embeds each file as a resource of <type> named by its file name
#     (FindResourceW(module, L"name", L"<type>"), names compare without
#     regard to case). The bytes are generated into a source file at build
#     time, so editing a file rebuilds the module.
#
#   kyrel_module_version(<target> VERSION a.b.c.d
#                        [TRANSLATION "0x0000 0x04B0"]
#                        [STRINGS "Name=value"...])
#     Gives the module a version record that GetFileVersionInfoW reads from
#     the module's file (product and file version a.b.c.d).

set(KYREL_RESOURCE_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/KyrelEmbed.cmake" CACHE INTERNAL "")

function(kyrel_embed_resources target)
  cmake_parse_arguments(arg "" "TYPE" "FILES" ${ARGN})
  if(NOT arg_TYPE OR NOT arg_FILES)
    message(FATAL_ERROR "kyrel_embed_resources(${target} TYPE <type> FILES <files...>)")
  endif()
  set(index 0)
  foreach(file IN LISTS arg_FILES)
    get_filename_component(abs "${file}" ABSOLUTE)
    get_filename_component(name "${file}" NAME)
    string(MAKE_C_IDENTIFIER "${target}_${arg_TYPE}_${index}" id)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/kyrel_resources/${id}.cpp")
    add_custom_command(
      OUTPUT "${out}"
      COMMAND ${CMAKE_COMMAND} -DINPUT=${abs} -DOUTPUT=${out} -DTYPE=${arg_TYPE}
              -DNAME=${name} -DSYMBOL=${id} -P ${KYREL_RESOURCE_SCRIPT}
      DEPENDS "${abs}" ${KYREL_RESOURCE_SCRIPT}
      COMMENT "Embedding ${name} in ${target}"
      VERBATIM)
    target_sources(${target} PRIVATE "${out}")
    math(EXPR index "${index} + 1")
  endforeach()
endfunction()

function(kyrel_module_version target)
  cmake_parse_arguments(arg "" "VERSION;TRANSLATION" "STRINGS" ${ARGN})
  if(NOT arg_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "kyrel_module_version(${target} VERSION a.b.c.d ...)")
  endif()
  if(NOT arg_TRANSLATION)
    set(arg_TRANSLATION "0x0000 0x04B0")
  endif()
  set(text "FileVersion=${arg_VERSION}\\nProductVersion=${arg_VERSION}\\nTranslation=${arg_TRANSLATION}\\n")
  foreach(entry IN LISTS arg_STRINGS)
    string(REPLACE "\\" "\\\\" entry "${entry}")
    string(REPLACE "\"" "\\\"" entry "${entry}")
    string(APPEND text "String:${entry}\\n")
  endforeach()
  string(MAKE_C_IDENTIFIER "${target}" id)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/kyrel_resources/${id}_version.cpp")
  file(CONFIGURE OUTPUT "${out}" CONTENT
"// Generated: the version record of ${target}, read from the module file.
__attribute__((section(\".kyrel_version\"), used))
static const char kyrel_version_record_${id}[] = \"${text}\";
" @ONLY)
  target_sources(${target} PRIVATE "${out}")
endfunction()
