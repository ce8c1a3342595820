// The preview file's text: a page or text as the program reads it, its
// addresses still leading where the document's own file would lead them.

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

// Returns `page`, in `encoding`, as the preview file shows it: with a
// <meta charset> naming `encoding` first, so that the browser reads the page
// as it is whatever the page declares (it may lie, and its declaration may
// come after a style sheet); then a <base href="FolderAddress(folder)">, so
// that the page, shown from a file elsewhere, finds its relative pictures,
// style sheets and frames in `folder`. A page's own <base> with a relative
// address is joined to it; one with an address of its own ("http:...",
// "/x/") is left to decide alone. Both go after a <!DOCTYPE ...> that begins
// the page (past comments and an XML declaration), as a tag before one would
// lay the page out in quirks mode, else first, after a byte-order mark. Plain
// text
// (`as_text`) gets <plaintext> after the <meta>, so that its lines show as
// lines. No <base> for an empty `folder`.
std::string PreviewPage(std::string_view page, core::Encoding encoding,
                        const std::filesystem::path& folder, bool as_text);

}  // namespace tovenrak::main_window
