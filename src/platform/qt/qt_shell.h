// Handing addresses to the desktop on Qt.

#pragma once

#include "platform/shell.h"

namespace tovenrak::platform::qt {

class QtShell : public platform::Shell {
 public:
  // A web address without a scheme ("www.example.com") is taken as http;
  // a file name that exists in `working_folder` as that local file.
  bool OpenAddress(const std::string& address,
                   const std::filesystem::path& working_folder) override;
};

}  // namespace tovenrak::platform::qt
