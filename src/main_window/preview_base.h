// The preview file's text: a converted page, its addresses still leading
// where the page's own file would lead them.

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/encoding/encoding.h"

namespace tovenrak::main_window {

// The absolute folder of the file at `path` (named from the current folder
// when relative); empty when there is no current folder.
std::filesystem::path FolderOf(const std::filesystem::path& path);

// The address of `folder`, an absolute path (FolderOf), as a <base> names
// it: "file://", the path with every byte but letters, digits, "-._~" and
// "/" written as %XX, and a closing "/".
std::string FolderAddress(const std::filesystem::path& folder);

// Returns `page`, in `encoding`, with <base href="FolderAddress(folder)">
// in it, so that the page, shown from a preview file elsewhere, finds its
// relative pictures, style sheets and frames in `folder`. It goes right
// after the tag in the first 1024 bytes that names the page's encoding,
// where browsers look for it (the tag that holds the first "charset", up to
// its '>'); else after <head ...>; else after <!DOCTYPE ...>; else before
// everything but its byte-order mark. A page with a <base> of its own, or
// an empty `folder`, is returned as it is.
std::string WithBase(std::string_view page, core::Encoding encoding,
                     const std::filesystem::path& folder);

}  // namespace tovenrak::main_window
