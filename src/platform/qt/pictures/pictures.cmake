# Adds the main window's pictures (drawn by draw_pictures.py) to `target` as
# Qt resources under ":/pictures/".
function(tovenrak_add_pictures target)
  set(dir ${PROJECT_SOURCE_DIR}/src/platform/qt/pictures)
  set(files open.png clear.png batch.png gb.png big5.png icon.png image1.png
            zemlorin.png pointer.png)
  list(TRANSFORM files PREPEND ${dir}/)
  qt_add_resources(${target} "pictures" PREFIX "/pictures" BASE ${dir}
                   FILES ${files})
endfunction()
