pagora_add_fuzzer(ini_parser SOURCES ${CMAKE_CURRENT_LIST_DIR}/ini_parser.cpp LIBS pagora_platform)
