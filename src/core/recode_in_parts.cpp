#include "core/recode_in_parts.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "core/encoding/codec.h"
#include "core/markup/convert_markup.h"

namespace tovenrak::core {

std::vector<size_t> TextCuts(std::string_view bytes, Encoding source,
                             size_t part) {
  // A part that began with a byte-order mark would lose it, as a text does;
  // inside a text it is a character. A line feed is a unit of its own in
  // every encoding.
  std::vector<size_t> cuts;
  for (size_t at = part; at < bytes.size();) {
    const size_t feed = bytes.find('\n', at);
    if (feed == std::string_view::npos || feed + 1 == bytes.size()) break;
    at = feed + 1;
    if (ByteOrderMarkLength(bytes.substr(at), source) != 0) continue;
    cuts.push_back(at);
    at += part;
  }
  return cuts;
}

namespace {

// The parts of one document, converted by several threads and joined in
// order by the one that made it.
class PartRun {
 public:
  PartRun(const Converter& converter, std::string_view bytes,
          const std::vector<size_t>& cuts, bool markup, Encoding source,
          Encoding target, std::optional<ScriptConversion> how,
          unsigned threads, std::string_view external_charset)
      : converter_(converter),
        bytes_(bytes),
        markup_(markup),
        source_(source),
        target_(target),
        how_(how),
        external_charset_(external_charset),
        threads_(Threads(threads, cuts.size() + 1)),
        // Parts converted ahead of the joining wait in memory; these many
        // keep every thread busy.
        ahead_(size_t{threads_} + 1) {
    parts_.resize(cuts.size() + 1);
    size_t longest = 0;
    for (size_t i = 0; i < parts_.size(); ++i) {
      parts_[i].begin = i == 0 ? 0 : cuts[i - 1];
      parts_[i].end = i < cuts.size() ? cuts[i] : bytes.size();
      longest = std::max(longest, parts_[i].end - parts_[i].begin);
    }
    // Room for the longest part, so that the room of any part fits any
    // other: a string that outgrows its room moves to twice the room.
    room_ = EncodedRoom(longest, source, target) + 64;
  }

  // At most one thread for each part and each core, and no more than
  // kMostThreads: each holds a part's room, a mebibyte or so.
  static unsigned Threads(unsigned wanted, size_t parts) {
    constexpr unsigned kMostThreads = 8;
    const unsigned cores = std::max(std::thread::hardware_concurrency(), 1u);
    return static_cast<unsigned>(std::max<size_t>(
        std::min<size_t>({wanted, parts, cores, kMostThreads}), 1));
  }

  Status Run(std::string& out, EncodeCounts& counts,
             const std::function<void(size_t)>& consumed) {
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads_; ++t) {
      try {
        helpers.emplace_back([this] { Help(); });
      } catch (const std::system_error&) {
        break;  // The helpers that started, and this thread, do the rest.
      }
    }
    Status joined;
    std::exception_ptr thrown;
    try {
      joined = Join(out, counts, consumed);
    } catch (...) {
      thrown = std::current_exception();
    }
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& helper : helpers) helper.join();
    if (thrown) std::rethrow_exception(thrown);
    return joined;
  }

 private:
  struct Part {
    size_t begin = 0, end = 0;
    std::string out;
    EncodeCounts counts;
    Status status;
    // What converting it threw, thrown again where the parts are joined,
    // as converting the whole would have thrown it there.
    std::exception_ptr thrown;
    bool done = false;
  };

  // Takes the next part to convert, if any may be taken now, with the
  // room of a part already joined: memory touched once is used again, as
  // the first touch of a page costs more than converting into it.
  // REQUIRES: mutex_ held.
  Part* Take() {
    if (stop_ || next_ == parts_.size() || next_ >= joined_ + ahead_)
      return nullptr;
    Part& part = parts_[next_++];
    if (!spare_.empty()) {
      part.out = std::move(spare_.back());
      spare_.pop_back();
    }
    return &part;
  }

  void Convert(Part& part) {
    const std::string_view bytes =
        bytes_.substr(part.begin, part.end - part.begin);
    try {
      part.out.reserve(room_);
      part.status =
          markup_ ? RecodeMarkup(converter_, bytes, source_, target_, how_,
                                 part.out, part.counts, kRecodePiece, {},
                                 nullptr, external_charset_, part.begin == 0)
                  : converter_.RecodeInto(bytes, source_, target_, how_,
                                          part.out, part.counts);
    } catch (const std::bad_alloc&) {
      part.status = NoMemoryToConvert(bytes_.size(), "bytes");
    } catch (...) {
      part.thrown = std::current_exception();
    }
  }

  // Converts a part taken, outside the lock, and says it is done.
  void ConvertTaken(Part& part, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    Convert(part);
    lock.lock();
    part.done = true;
    changed_.notify_all();
  }

  void Help() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
      if (Part* part = Take()) {
        ConvertTaken(*part, lock);
      } else if (next_ == parts_.size()) {
        return;
      } else {
        changed_.wait(lock);
      }
    }
  }

  // Converts parts too, and joins each finished part in order.
  Status Join(std::string& out, EncodeCounts& counts,
              const std::function<void(size_t)>& consumed) {
    std::unique_lock lock(mutex_);
    while (joined_ < parts_.size()) {
      Part& first = parts_[joined_];
      if (first.done) {
        lock.unlock();
        if (first.thrown) std::rethrow_exception(first.thrown);
        if (!first.status) return first.status;
        out += first.out;
        first.out.clear();
        counts.references += first.counts.references;
        counts.invalid_units += first.counts.invalid_units;
        counts.server_references += first.counts.server_references;
        if (counts.beyond_cp950 == 0)
          counts.first_beyond_cp950 = first.counts.first_beyond_cp950;
        counts.beyond_cp950 += first.counts.beyond_cp950;
        if (consumed) consumed(first.end);
        lock.lock();
        spare_.push_back(std::move(first.out));
        ++joined_;
        changed_.notify_all();
        continue;
      }
      if (Part* part = Take()) {
        ConvertTaken(*part, lock);
      } else {
        changed_.wait(lock);
      }
    }
    return {};
  }

  const Converter& converter_;
  const std::string_view bytes_;
  const bool markup_;
  const Encoding source_, target_;
  const std::optional<ScriptConversion> how_;
  const std::string_view external_charset_;
  const unsigned threads_;
  const size_t ahead_;
  size_t room_ = 0;
  std::vector<Part> parts_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> spare_;  // Rooms of parts joined.
  size_t next_ = 0;                 // The next part to take.
  size_t joined_ = 0;               // Parts joined to the output.
  bool stop_ = false;
};

}  // namespace

Status RecodeInParts(const Converter& converter, std::string_view bytes,
                     const std::vector<size_t>& cuts, bool markup,
                     Encoding source, Encoding target,
                     std::optional<ScriptConversion> how, unsigned threads,
                     std::string& out, EncodeCounts& counts,
                     const std::function<void(size_t)>& consumed,
                     std::string_view external_charset) {
  PartRun run(converter, bytes, cuts, markup, source, target, how,
              std::max(threads, 1u), external_charset);
  return run.Run(out, counts, consumed);
}

}  // namespace tovenrak::core
