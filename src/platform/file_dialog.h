// The file dialog: one object that remembers the name last chosen in it.

#pragma once

#include <string>

namespace tovenrak::platform {

// The documents the program opens, web pages and text files, as a filter;
// the last entry shows every file, as the program reads pages of other
// names (.php, .asp, .shtml) and text files of any (.log, .srt, .csv).
inline constexpr char kDocumentFilter[] =
    "Html文件[*.htm;*.html]|*.htm;*.html|文本文件[*.txt]|*.txt|"
    "所有文件[*]|*|";

// Filters are written "Description|patterns|Description|patterns|", patterns
// separated by ";". Paths are UTF-8. A cancelled dialog yields an empty
// string.
class FileDialog {
 public:
  FileDialog() = default;
  FileDialog(const FileDialog&) = delete;
  FileDialog& operator=(const FileDialog&) = delete;
  virtual ~FileDialog() = default;

  // Asks for one existing file to open; starts from the last chosen name.
  virtual std::string AskOpenPath(const std::string& title,
                                  const std::string& filter) = 0;

  // Asks for a file name to save to, which may be new; asks before replacing
  // an existing file. Starts from the last chosen name.
  virtual std::string AskSavePath(const std::string& title,
                                  const std::string& filter) = 0;

  // Asks for one or more existing files. Returns one full path, or the folder
  // followed by each chosen bare name, separated by NUL characters.
  virtual std::string AskOpenPaths(const std::string& title,
                                   const std::string& filter) = 0;

  // Asks for one existing folder; its full path, or empty when cancelled.
  virtual std::string AskFolderPath(const std::string& title) = 0;

  // Makes `path` the name the next dialog starts from (empty: none).
  virtual void StartFrom(const std::string& path) = 0;
};

}  // namespace tovenrak::platform
