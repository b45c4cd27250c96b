# txt_filter: the text filter's Start/Read with random blocks must give back the text.
pagora_add_fuzzer(txt_filter SOURCES ${CMAKE_CURRENT_LIST_DIR}/txt_filter.cpp LIBS pagora_txtfilter)
