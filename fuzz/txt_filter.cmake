# txt_filter: the text filter's Start/Read with random blocks must give back the text
# (read in the encoding it reports); the transcoder cut anywhere gives the whole conversion.
pagora_add_fuzzer(txt_filter SOURCES ${CMAKE_CURRENT_LIST_DIR}/txt_filter.cpp LIBS pagora_txtfilter)
