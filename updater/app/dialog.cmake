# The notification dialog and the small dialog layer under it form a library
# of their own, so tests can link it; the program gets these files through
# the library only.
set(dialog_sources
  dialog_base.cpp
  dib_canvas.cpp
  global.cpp
  image_resource.cpp
  tips_dlg.cpp)
list(TRANSFORM dialog_sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)

add_library(updater_dialog STATIC ${dialog_sources})
target_include_directories(updater_dialog PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/.. ${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(updater_dialog PUBLIC gdiplus ole32 user32 gdi32)

get_target_property(program_sources ZumiPictavoUpdateSvr SOURCES)
list(REMOVE_ITEM program_sources ${dialog_sources})
set_property(TARGET ZumiPictavoUpdateSvr PROPERTY SOURCES ${program_sources})
target_link_libraries(ZumiPictavoUpdateSvr PRIVATE updater_dialog)

# The dialog's template and images alone, for test programs that show it.
set(UPDATER_DIALOG_RC ${PROJECT_SOURCE_DIR}/resources/updater_dialog.rc CACHE INTERNAL "")
