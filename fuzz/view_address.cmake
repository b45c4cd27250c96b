# The reader view's address handling and response-head parser.
pagora_add_fuzzer(view_address
  SOURCES view_address.cpp
    ${CMAKE_SOURCE_DIR}/src/view/httpfetch.cpp
    ${CMAKE_SOURCE_DIR}/src/view/textroute.cpp
    ${CMAKE_SOURCE_DIR}/src/view/navigationrules.cpp
    ${CMAKE_SOURCE_DIR}/src/view/indexnavigator.cpp
  LIBS pagora_core)
