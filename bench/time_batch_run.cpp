// Times the batch window's run (RunBatch: two files at a time, each read,
// converted with detection and saved) and prints one JSON line:
//
//   tovenrak_time_batch_run OUT_DIR FILE...
//
// {"files": files listed, "converted", "failed", "seconds": the run alone,
//  "progress_calls": how often the window's bar would move,
//  "peak_rss_mib": this process's peak resident size}

#include <sys/resource.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "batch/file_name_lists.h"
#include "core/convert/default_converter.h"

int main(int argc, char** argv) {
  using namespace tovenrak;
  if (argc < 3) {
    std::cerr << "usage: tovenrak_time_batch_run OUT_DIR FILE...\n";
    return 2;
  }
  auto converter = core::MakeDefaultConverter();
  if (!converter) {
    std::cerr << "tovenrak_time_batch_run: " << converter.error().Message()
              << "\n";
    return 1;
  }
  std::string target = argv[1];
  if (target.back() != '/') target += '/';
  std::vector<std::string> be_fore, be_hind;
  for (int i = 2; i < argc; ++i) {
    be_fore.push_back(argv[i]);
    be_hind.push_back(batch::ExtFile(argv[i], '/'));
  }
  size_t progress_calls = 0;
  const auto start = std::chrono::steady_clock::now();
  const batch::BatchOutcome outcome =
      batch::RunBatch(**converter, be_fore, be_hind, target, {},
                      [&](int16_t) { ++progress_calls; });
  const std::chrono::duration<double> seconds =
      std::chrono::steady_clock::now() - start;
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::cout << "{\"files\": " << be_fore.size()
            << ", \"converted\": " << outcome.converted
            << ", \"failed\": " << outcome.failed.size()
            << ", \"seconds\": " << seconds.count()
            << ", \"progress_calls\": " << progress_calls
            << ", \"peak_rss_mib\": " << usage.ru_maxrss / 1024.0 << "}\n";
  for (const batch::FailedFile& failed : outcome.failed)
    std::cerr << failed.path << ": " << failed.reason << "\n";
  return outcome.failed.empty() ? 0 : 1;
}
