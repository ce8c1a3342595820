// Files and folders dragged from the desktop onto a window.

#pragma once

#include <QEvent>
#include <filesystem>
#include <vector>

namespace tovenrak::platform::qt {

// When `event` is a drag that enters, moves over or is dropped on a widget
// and carries local files or folders, accepts it and returns true; `dropped`
// then holds their paths, in the order dragged, if it was the drop itself,
// and is left empty otherwise. Any other event returns false.
bool TakeFileDrag(QEvent* event, std::vector<std::filesystem::path>& dropped);

}  // namespace tovenrak::platform::qt
