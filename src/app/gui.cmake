# The desktop program: wires the Qt window to the main window's logic.
include(${PROJECT_SOURCE_DIR}/src/platform/qt/pictures/pictures.cmake)
add_library(tovenrak_bat_launcher STATIC bat_launcher.cpp)
target_link_libraries(tovenrak_bat_launcher PUBLIC tovenrak_platform_qt tovenrak_batch)
qt_add_executable(tovenrak gui_main.cpp)
target_link_libraries(tovenrak PRIVATE tovenrak_platform_qt tovenrak_main_window
                                       tovenrak_bat_launcher tovenrak_disk_files
                                       tovenrak_cli)
target_compile_definitions(tovenrak PRIVATE TOVENRAK_VERSION="${PROJECT_VERSION}")
tovenrak_add_pictures(tovenrak)
