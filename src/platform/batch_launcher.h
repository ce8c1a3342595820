// Opening the batch-conversion window.

#pragma once

namespace tovenrak::platform {

class BatchLauncher {
 public:
  BatchLauncher() = default;
  BatchLauncher(const BatchLauncher&) = delete;
  BatchLauncher& operator=(const BatchLauncher&) = delete;
  virtual ~BatchLauncher() = default;

  // Shows a new batch window modally and returns when it is closed.
  virtual void ShowBatchWindow() = 0;
};

}  // namespace tovenrak::platform
