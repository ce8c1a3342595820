#include "batch/batch_run.h"

#include <cassert>
#include <cmath>
#include <filesystem>

#include "core/convert_document.h"
#include "core/io/output_plan.h"

namespace tovenrak::batch {

namespace {

// A long failure list would push the message box off the screen.
constexpr size_t kMaxListedFailures = 10;

std::string ReasonOf(const core::Error& error) {
  std::string reason;
  switch (error.code) {
    case core::ErrorCode::kNotFound:
      reason = "找不到文件或文件夹";
      break;
    case core::ErrorCode::kUnreadable:
      reason = "无法读取";
      break;
    case core::ErrorCode::kNotWritable:
      reason = "无法写入";
      break;
    case core::ErrorCode::kTooLarge:
      reason = "文件太大";
      break;
    case core::ErrorCode::kInvalidInput:
      reason = "无法转换";
      break;
  }
  if (!error.reason.empty()) reason += "（" + error.reason + "）";
  return reason;
}

}  // namespace

int16_t ProPercent(size_t done, size_t total) {
  assert(done > 0 && done <= total);
  // The quotient of two doubles is correctly rounded, so an exact half stays
  // exact; nearbyint rounds it to even in the default rounding mode.
  return static_cast<int16_t>(std::nearbyint(static_cast<double>(done) * 100.0 /
                                             static_cast<double>(total)));
}

BatchOutcome RunBatch(const core::Converter& er,
                      const std::vector<std::string>& be_fore,
                      const std::vector<std::string>& be_hind,
                      const std::string& target_folder,
                      const std::function<void(int16_t)>& progress) {
  assert(be_fore.size() == be_hind.size());
  const size_t n = be_fore.size();
  const std::vector<core::PlannedOutput> plan = core::PlanOutputs(
      std::vector<std::filesystem::path>(be_fore.begin(), be_fore.end()),
      be_hind, target_folder, /*may_replace_own_input=*/true);

  BatchOutcome outcome;
  for (size_t i = 0; i < n; ++i) {
    const std::string& other = be_fore[plan[i].other];
    switch (plan[i].verdict) {
      case core::OutputVerdict::kRepeat:
        // Converting it a second time would convert its first output back
        // when that replaced the source.
        break;
      case core::OutputVerdict::kOverInput:
        outcome.failed.push_back(
            {be_fore[i], "会覆盖待转换的文件 " + other + "，未写入"});
        break;
      case core::OutputVerdict::kSameOutput:
        outcome.failed.push_back(
            {be_fore[i], "与 " + other + " 的转换结果同名，未写入"});
        break;
      case core::OutputVerdict::kNoName:
      case core::OutputVerdict::kWrite:
        if (core::Result<core::DocumentConversion> converted =
                core::ConvertFile(er, be_fore[i], target_folder + be_hind[i],
                                  core::ConversionRequest{});
            converted) {
          ++outcome.converted;
        } else {
          outcome.failed.push_back({be_fore[i], ReasonOf(converted.error())});
        }
        break;
    }
    if (n > 1) progress(ProPercent(i + 1, n));
  }
  return outcome;
}

ClosingMessage DescribeOutcome(const BatchOutcome& outcome,
                               const std::string& target_folder) {
  if (outcome.failed.empty()) {
    return {"所选定文件已转换到 " + target_folder + " 文件夹下。",
            platform::MessageIcon::kInformation};
  }
  const size_t total = outcome.converted + outcome.failed.size();
  std::string text = "共 " + std::to_string(total) + " 个文件，已转换 " +
                     std::to_string(outcome.converted) + " 个到 " +
                     target_folder + " 文件夹下；以下 " +
                     std::to_string(outcome.failed.size()) +
                     " 个文件未能转换：\n";
  for (size_t i = 0; i < outcome.failed.size() && i < kMaxListedFailures; ++i) {
    text += "\n" + outcome.failed[i].path + "\n    " + outcome.failed[i].reason;
  }
  if (outcome.failed.size() > kMaxListedFailures) {
    text += "\n\n……另有 " +
            std::to_string(outcome.failed.size() - kMaxListedFailures) +
            " 个文件未能转换。";
  }
  return {text, platform::MessageIcon::kWarning};
}

}  // namespace tovenrak::batch
