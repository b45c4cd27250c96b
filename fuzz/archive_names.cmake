pagora_add_fuzzer(archive_names SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_names.cpp LIBS pagora_core)
