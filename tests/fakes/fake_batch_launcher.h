// A batch launcher that counts how often the batch window was opened.

#pragma once

#include "platform/batch_launcher.h"

namespace tovenrak::fakes {

struct FakeBatchLauncher : platform::BatchLauncher {
  void ShowBatchWindow() override { ++shown; }
  int shown = 0;
};

}  // namespace tovenrak::fakes
