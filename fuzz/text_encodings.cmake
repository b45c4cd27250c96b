# text_encodings: the encoding menu's ranking of a text's first bytes and the
# parser of the kept encoding choices.
pagora_add_fuzzer(text_encodings
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_encodings.cpp
    ${CMAKE_SOURCE_DIR}/src/view/textencodingchoices.cpp
    ${CMAKE_SOURCE_DIR}/src/view/textroute.cpp
  LIBS pagora_core pagora_txtfilter)
