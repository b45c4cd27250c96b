pagora_add_fuzzer(zip_requestpath SOURCES ${CMAKE_CURRENT_LIST_DIR}/zip_requestpath.cpp LIBS pagora_core)
