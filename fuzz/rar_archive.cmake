pagora_add_fuzzer(rar_archive SOURCES ${CMAKE_CURRENT_LIST_DIR}/rar_archive.cpp LIBS pagora_core)
