# The toolbar collection Kyrel.rui, embedded in Kyrel.rhp as a "FILE"
# resource. make_toolbar draws the image strips and fills them into the
# collection's template at build time; included from plugin/CMakeLists.txt
# so the generated file and the module that embeds it share one folder.

add_executable(make_toolbar
  ${CMAKE_CURRENT_LIST_DIR}/make_toolbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolbar_icons.cpp)
# A build tool, not something users run: kept out of the host's folder.
set_target_properties(make_toolbar PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/toolbar")
target_link_libraries(make_toolbar PRIVATE hostsdk)
kyrel_target_defaults(make_toolbar)

set(KYREL_TOOLBAR_FOLDER "${CMAKE_CURRENT_BINARY_DIR}/toolbar")
set(KYREL_TOOLBAR_COLLECTION "${KYREL_TOOLBAR_FOLDER}/Kyrel.rui")
add_custom_command(
  OUTPUT "${KYREL_TOOLBAR_COLLECTION}"
         "${KYREL_TOOLBAR_FOLDER}/Kyrel_16.png"
         "${KYREL_TOOLBAR_FOLDER}/Kyrel_24.png"
         "${KYREL_TOOLBAR_FOLDER}/Kyrel_32.png"
  COMMAND make_toolbar "${CMAKE_CURRENT_LIST_DIR}/Kyrel.rui.in" "${KYREL_TOOLBAR_COLLECTION}"
          "${KYREL_TOOLBAR_FOLDER}"
  DEPENDS make_toolbar "${CMAKE_CURRENT_LIST_DIR}/Kyrel.rui.in"
  COMMENT "Drawing the toolbar images into Kyrel.rui"
  VERBATIM)
kyrel_embed_resources(KyrelPlugIn TYPE FILE FILES "${KYREL_TOOLBAR_COLLECTION}")
