# text_layout: the part cutter, the table-hint writer and the kept-heights parser.
pagora_add_fuzzer(text_layout
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_layout.cpp
    ${CMAKE_SOURCE_DIR}/src/view/tablehints.cpp
    ${CMAKE_SOURCE_DIR}/src/view/textlayoutstore.cpp
    ${CMAKE_SOURCE_DIR}/src/view/textroute.cpp
  LIBS pagora_core)
