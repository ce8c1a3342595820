# The desktop program: wires the Qt window to the main window's logic.
include(${PROJECT_SOURCE_DIR}/src/platform/qt/pictures/pictures.cmake)
qt_add_executable(tovenrak gui_main.cpp)
target_link_libraries(tovenrak PRIVATE tovenrak_platform_qt tovenrak_main_window)
tovenrak_add_pictures(tovenrak)
