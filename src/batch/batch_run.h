// The batch run: every listed file converted into the target folder.

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/convert/converter.h"
#include "core/convert/user_phrases.h"
#include "core/convert_document.h"
#include "core/io/make_folders.h"
#include "platform/message_box.h"

namespace tovenrak::batch {

struct FailedFile {
  std::string path;    // As listed.
  std::string reason;  // For the user: what went wrong, then the OS's words.
};

// What a run did.
// A file whose bytes were not in the encoding it declared: it was converted
// from the encoding it is really in.
struct MislabeledFile {
  std::string path;  // As listed.
  core::Encoding declared;
  core::Encoding actual;
};

// A page with a comment, script or tag that never ends, which was read to
// the end of the page, as browsers read it.
struct UnendedMarkup {
  std::string path;    // As listed.
  std::string reason;  // What did not end, and from which line.
};

// A file read as one encoding with lines that read as another, which were
// converted as the rest was (core::FindOtherEncodingLines).
struct MixedEncodings {
  std::string path;  // As listed.
  core::Encoding read_as;
  core::OtherEncodingLines lines;
};

// A file whose output keeps bytes of its input that are no characters.
struct KeptInvalidBytes {
  std::string path;  // As listed.
  size_t sequences;  // How many.
  core::Encoding target;
};

// A file whose server code got characters written as references, which a
// server does not read as characters.
struct ServerCodeReferences {
  std::string path;   // As listed.
  size_t characters;  // How many.
  core::Encoding target;
};

// A file converted into Big5 with characters whose codes Windows' code page
// 950 does not read (core::EncodeCounts::beyond_cp950).
struct BeyondCp950 {
  std::string path;   // As listed.
  size_t characters;  // How many.
  char32_t first;     // The first of them.
};

// A file whose characters read about as well in two encodings: its encoding
// was guessed (core::Detection::guessed).
struct GuessedEncoding {
  std::string path;  // As listed.
  core::Encoding read_as;
  std::vector<core::Encoding> also_reads_as = {};
  bool by_run = false;  // Read as more files of the run are.
};

struct BatchOutcome {
  size_t converted = 0;  // Files listed twice count once.
  // In list order, then the files written where the final sync failed.
  std::vector<FailedFile> failed;
  std::vector<MislabeledFile> mislabeled;
  std::vector<UnendedMarkup> unended;
  std::vector<MixedEncodings> mixed;
  std::vector<KeptInvalidBytes> invalid;
  std::vector<ServerCodeReferences> server_references;
  std::vector<BeyondCp950> beyond_cp950;
  // Read from UTF-16 (core::DocumentConversion::from_utf16), with the
  // encoding each was written in.
  std::vector<std::pair<std::string, core::Encoding>> from_utf16;
  std::vector<GuessedEncoding> guessed;
  // The review list asked for but not written, and why: no file listed.
  std::optional<FailedFile> review_list;
  // Files the run left as they were, being stopped (BatchOptions::stop):
  // how many, and their places in the list, in order.
  size_t stopped = 0;
  std::vector<size_t> left;
  // Files listed, or found in a folder listed, that lie in the target folder
  // and so were left as they were (their outputs' own outputs, else); the
  // run's caller knows them.
  std::vector<std::string> in_target;
};

// A folder whose files were listed by walking it.
struct TreeRoot {
  std::filesystem::path path;                      // As given.
  std::shared_ptr<const core::OpenFolder> folder;  // Null: none.
};

// How a run goes beyond converting.
struct BatchOptions {
  // Writes kReviewListName into the target folder: for each converted file,
  // in list order, one line per ambiguity point, in tovenrak-convert's
  // --ambiguities form (core::ListingLine), the file named by its output's
  // path below the target folder (else in full), control characters escaped
  // (core::EscapeForTerminal). Lines and columns count the characters of the
  // source as decoded, which its output keeps but where a character became
  // a reference (&#N;).
  bool review_list = false;
  // Applied before the dictionaries to every file converted into
  // traditional and into simplified Chinese, when not null.
  std::shared_ptr<const core::UserPhrases> phrases_to_traditional,
      phrases_to_simplified;
  // Files no output may replace: the documents of a folder listed that lay
  // in the target folder, and so were not listed (core::DocumentTree::kept).
  std::vector<std::filesystem::path> kept;
  // Outputs no run may write, by their path: the program windows' preview
  // files, which a window writes over at its next conversion. Null: none.
  std::function<bool(const std::filesystem::path&)> reserved;
  // For each listed file, when not empty: the folder it was found in by
  // walking it, open since before it was walked, below which it is read
  // through no link (core::ReadDocumentBelow, its name in BeHind being its
  // path there); none for a file listed on its own.
  std::vector<TreeRoot> roots;
  // Asked before each file, when set: true stops the run. The files begun
  // are finished and told of; the rest are not written, and counted.
  std::function<bool()> stop;
};

inline constexpr const char* kReviewListName = "tovenrak-review.txt";

// The percentage shown after `done` of `total` files: done * 100 / total
// brought to the nearest whole number, a half going to the even neighbour
// (1 of 8 gives 12, 3 of 8 gives 38).
// REQUIRES: 0 < done <= total
int16_t ProPercent(size_t done, size_t total);

// Converts the file at `be_fore[i]` into `target_folder` + `be_hind[i]` for
// every i, each by core::ConvertFileBytes as `request` says (the default
// request detects each file's encoding and converts Big5 to GB, GB to Big5),
// two files at a time on this thread and a second one, and records them in list
// order, as converting one after the other would: a file that cannot be
// read writes nothing and a failed save leaves the target untouched. Such a
// file is recorded in the outcome and the run goes on. Saves do not sync one by
// one: each output file system is synced once after the last file
// (core::DeferredSync), and a file on one whose sync fails is recorded as
// failed, so that every file counted as converted is on disk. What is written
// where follows core::PlanOutputs, a file being allowed to replace itself: a
// file listed again (by any path) is converted once, and a file whose output
// would replace another listed file or an earlier output of this run is
// recorded as failed. A name may hold folders ("sub/a.htm", a file of a
// dropped folder): the missing ones are made below the target folder, never
// through a link (core::MakeSubfolders), and a file whose folder cannot be
// made is recorded as failed. A file whose encoding is guessed waits for
// the others and is then read in the one of its readings more of them are
// in (core::FollowRun); it is recorded after them. After each entry calls
// `progress` with ProPercent on this thread, except when the list holds a
// single entry. With options.review_list the review list is saved once all
// files are done (core::SaveDocument); a failed save is recorded as a failed
// file under the list's path. REQUIRES: be_fore.size() == be_hind.size();
// `target_folder` ends with a separator.
BatchOutcome RunBatch(const core::Converter& er,
                      const std::vector<std::string>& be_fore,
                      const std::vector<std::string>& be_hind,
                      const std::string& target_folder,
                      const core::ConversionRequest& request,
                      const std::function<void(int16_t)>& progress,
                      const BatchOptions& options = {});

struct ClosingMessage {
  std::string text;
  platform::MessageIcon icon;
};

// The message that closes a run into `target_folder`: the completion text
// naming the folder when every file was converted; otherwise, with the
// warning icon, how many were converted and the files that failed with their
// reasons (the first thousand, then how many more; so each list). Either is
// followed by the files that were not in the encoding they declared, with both
// encodings, and then by the pages converted as text because they could not be
// read as markup, with where reading stopped.
ClosingMessage DescribeOutcome(const BatchOutcome& outcome,
                               const std::string& target_folder);

}  // namespace tovenrak::batch
