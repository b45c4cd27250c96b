# The Qt program Pagora: application object and entry point here; the view,
# frame, dialogs and controls folders add their sources to the same target.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets WebEngineCore WebEngineWidgets PrintSupport Network)

qt_add_executable(Pagora
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pagoraapp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scriptdriver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frameprobe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/singleinstance.cpp
)
target_include_directories(Pagora PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(Pagora PRIVATE pagora_viewlogic pagora_core
  Qt6::Widgets Qt6::Network Qt6::WebEngineCore Qt6::WebEngineWidgets Qt6::PrintSupport ${CMAKE_DL_LIBS})

# The program's own resources, served as res://Pagora/<name>.
file(GLOB PAGORA_RES_FILES RELATIVE ${CMAKE_SOURCE_DIR}
  ${CMAKE_SOURCE_DIR}/res/*.page ${CMAKE_SOURCE_DIR}/res/*.HTM ${CMAKE_SOURCE_DIR}/res/*.htm
  ${CMAKE_SOURCE_DIR}/res/bk/* ${CMAKE_SOURCE_DIR}/res/icons/*)
qt_add_resources(Pagora pagora_res PREFIX "/" BASE ${CMAKE_SOURCE_DIR} FILES ${PAGORA_RES_FILES})

# The help page and the icon beside the program, as an installation has them
# in its share folder: the help command and the launchers find them there.
add_custom_command(TARGET Pagora POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/docs/help/Pagora.htm $<TARGET_FILE_DIR:Pagora>/Pagora.htm
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/res/icons/pagora.svg $<TARGET_FILE_DIR:Pagora>/pagora.svg
  VERBATIM)
