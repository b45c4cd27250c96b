pagora_add_fuzzer(zip_archive SOURCES ${CMAKE_CURRENT_LIST_DIR}/zip_archive.cpp LIBS pagora_core PkgConfig::LIBZIP)
