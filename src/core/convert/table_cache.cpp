#include "core/convert/table_cache.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <new>
#include <sstream>

#include "core/convert/opencc_dictionaries.h"
#include "core/convert/table_file.h"

namespace tovenrak::core {

namespace {

namespace fs = std::filesystem;

// Changes whenever the tables' layout or the way they are compiled does. Its
// last two characters are part of the file name, so that programs of two
// layouts on one machine do not keep replacing each other's files.
constexpr char kMagic[8] = {'T', 'V', 'R', 'T', 'A', 'B', '0', '8'};

// What a cache file was made from: one OpenCC file as it was then.
struct SourceFile {
  std::string path;
  uint64_t size = 0;
  int64_t mtime_ns = 0;
  uint64_t inode = 0;
};

// Where libopencc looks for a configuration given by name.
fs::path ConfigPath(const std::string& config_name) {
  if (config_name.find('/') != std::string::npos) return config_name;
  return fs::path(TOVENRAK_OPENCC_DATA_DIR) / config_name;
}

bool Stat(SourceFile& file) {
  struct stat st;
  if (::stat(file.path.c_str(), &st) != 0) return false;
  file.size = static_cast<uint64_t>(st.st_size);
  file.mtime_ns = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  file.inode = st.st_ino;
  return true;
}

// The configuration file and the dictionary files it names ("file": "..."),
// each as it is now; empty when one cannot be found, so that nothing is
// cached for it.
std::vector<SourceFile> Sources(const std::string& config_name) {
  const fs::path config = ConfigPath(config_name);
  std::ifstream in(config, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  if (!in) return {};
  std::vector<SourceFile> files = {{config.string()}};
  const std::string json = text.str();
  constexpr std::string_view kKey = "\"file\"";
  for (size_t pos = 0; (pos = json.find(kKey, pos)) != std::string::npos;) {
    pos += kKey.size();
    const size_t open = json.find('"', json.find(':', pos));
    const size_t close = json.find('"', open + 1);
    if (open == std::string::npos || close == std::string::npos) return {};
    // OpenCC finds a dictionary beside its configuration, else in its own
    // data folder.
    fs::path name = json.substr(open + 1, close - open - 1);
    fs::path beside = config.parent_path() / name;
    files.push_back(
        {(fs::exists(beside) ? beside
                             : fs::path(TOVENRAK_OPENCC_DATA_DIR) / name)
             .string()});
    pos = close + 1;
  }
  for (SourceFile& file : files) {
    if (!Stat(file)) return {};
  }
  return files;
}

// A Fletcher-style sum over 64-bit words in eight lanes: any changed,
// missing or moved word changes it, and it runs as fast as memory can be
// read.
uint64_t Checksum(std::string_view bytes) {
  uint64_t sum[8] = {}, weighted[8] = {};
  size_t i = 0;
  for (; i + 64 <= bytes.size(); i += 64) {
    uint64_t words[8];
    std::memcpy(words, bytes.data() + i, 64);
    for (int k = 0; k < 8; ++k) {
      sum[k] += words[k];
      weighted[k] += sum[k];
    }
  }
  uint64_t h = 0x9E3779B97F4A7C15u ^ bytes.size();
  auto mix = [&h](uint64_t v) {
    h = (h ^ v) * 0xFF51AFD7ED558CCDu;
    h ^= h >> 29;
  };
  for (int k = 0; k < 8; ++k) {
    mix(sum[k]);
    mix(weighted[k]);
  }
  for (; i < bytes.size(); ++i) mix(static_cast<unsigned char>(bytes[i]));
  return h;
}

// The header: magic, the sources, then the checksum and size of the tables.
void PutHeader(TableWriter& out, const std::vector<SourceFile>& sources,
               std::string_view tables) {
  out.Put(kMagic);
  out.Put(static_cast<uint64_t>(sources.size()));
  for (const SourceFile& f : sources) {
    out.PutArray(f.path.data(), f.path.size());
    out.Put(f.size);
    out.Put(f.mtime_ns);
    out.Put(f.inode);
  }
  out.Put(Checksum(tables));
  out.Put(static_cast<uint64_t>(tables.size()));
  // The tables follow at a multiple of 8 bytes, where a mapping of the file
  // holds them aligned.
  out.Align();
}

// A read-only mapping of a whole file, unmapped when the last user is gone;
// with `populate`, read in at once.
std::shared_ptr<const void> MapFile(int fd, size_t size, bool populate) {
  void* at = ::mmap(nullptr, size, PROT_READ,
                    MAP_PRIVATE | (populate ? MAP_POPULATE : 0), fd, 0);
  if (at == MAP_FAILED) return nullptr;
  return std::shared_ptr<const void>(
      at, [size](const void* p) { ::munmap(const_cast<void*>(p), size); });
}

// Opens a regular file of ours that nobody else can write, without following
// a link; -1 for anything else.
int OpenOwnFile(const fs::path& file, struct stat& st) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0)
    return fd;
  ::close(fd);
  return -1;
}

// Writes `parts` to `file` whole or not at all, and on the disk before the
// name shows them: a fresh file of our own (O_EXCL neither follows a link
// planted under the temporary name nor writes into someone else's file),
// synced, then renamed.
void WriteWhole(const fs::path& file,
                std::initializer_list<std::string_view> parts) {
  const fs::path temp =
      file.string() + ".tmp" + std::to_string(static_cast<long>(::getpid()));
  const int fd = ::open(
      temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return;
  bool written = true;
  for (const std::string_view part : parts) {
    for (size_t done = 0; written && done < part.size();) {
      const ssize_t n = ::write(fd, part.data() + done, part.size() - done);
      written = n > 0;
      done += n > 0 ? static_cast<size_t>(n) : 0;
    }
  }
  written = ::fsync(fd) == 0 && written;
  written = ::close(fd) == 0 && written;
  std::error_code ec;
  if (written) fs::rename(temp, file, ec);
  if (!written || ec) fs::remove(temp, ec);
}

// Reading the whole cache to check its sum and its ranges costs more than
// the rest of a start (the file is megabytes, and a conversion touches
// little of it), so they are checked once for each state of the file: a note
// beside it records the state they were checked in, with the layout
// version. Any write to the file changes its change time, which no one can
// set back, so a file changed since then is checked again.
fs::path CheckedNote(const fs::path& file) {
  return file.string() + ".checked";
}

std::string StateOf(const struct stat& st) {
  return std::string(kMagic, 8) + " " + std::to_string(st.st_dev) + " " +
         std::to_string(st.st_ino) + " " + std::to_string(st.st_size) + " " +
         std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec) + " " +
         std::to_string(st.st_ctim.tv_sec) + "." +
         std::to_string(st.st_ctim.tv_nsec) + "\n";
}

bool CheckedBefore(const fs::path& file, const struct stat& st) {
  struct stat note_stat;
  const int fd = OpenOwnFile(CheckedNote(file), note_stat);
  if (fd < 0) return false;
  char note[256];
  const ssize_t n = ::read(fd, note, sizeof note);
  ::close(fd);
  return n > 0 && std::string_view(note, static_cast<size_t>(n)) == StateOf(st);
}

// The cache is used where it lies, mapped into memory: only a regular file
// of ours that nobody else can write, so that no one can change or truncate
// it under us.
std::unique_ptr<ConversionTables> ReadCache(
    const fs::path& file, const std::vector<SourceFile>& sources) {
  std::shared_ptr<const void> mapping;
  size_t file_size = 0;
  struct stat st;
  bool checked = false;
  {
    const int fd = OpenOwnFile(file, st);
    if (fd < 0) return nullptr;
    if (st.st_size > 0) {
      checked = CheckedBefore(file, st);
      file_size = static_cast<size_t>(st.st_size);
      mapping = MapFile(fd, file_size, /*populate=*/!checked);
    }
    ::close(fd);
    if (!mapping) return nullptr;
  }
  const std::string_view bytes(static_cast<const char*>(mapping.get()),
                               file_size);
  TableReader header(bytes);
  char magic[8];
  uint64_t count = 0;
  if (!header.Get(magic) || std::memcmp(magic, kMagic, 8) != 0 ||
      !header.Get(count) || count != sources.size())
    return nullptr;
  for (const SourceFile& want : sources) {
    std::vector<char> path;
    SourceFile had;
    if (!header.Get(path) || !header.Get(had.size) ||
        !header.Get(had.mtime_ns) || !header.Get(had.inode))
      return nullptr;
    if (std::string_view(path.data(), path.size()) != want.path ||
        had.size != want.size || had.mtime_ns != want.mtime_ns ||
        had.inode != want.inode)
      return nullptr;
  }
  uint64_t checksum = 0, size = 0;
  if (!header.Get(checksum) || !header.Get(size)) return nullptr;
  const size_t start = bytes.size() - std::min<size_t>(size, bytes.size());
  const std::string_view tables = bytes.substr(start);
  if (tables.size() != size || (!checked && Checksum(tables) != checksum))
    return nullptr;
  TableReader reader(tables, mapping, checked);
  std::unique_ptr<ConversionTables> loaded = ConversionTables::Load(reader);
  if (!loaded || !reader.at_end()) return nullptr;
  if (!checked) WriteWhole(CheckedNote(file), {StateOf(st)});
  return loaded;
}

// Whether `name` is a cache file, or its note, of a layout version other
// than this one's: "s2tw.05.tables" once the layout is 06. Such files are
// never read again, and each holds megabytes.
bool IsOtherVersion(std::string_view name) {
  for (const std::string_view suffix : {".tables", ".tables.checked"}) {
    if (!name.ends_with(suffix)) continue;
    name.remove_suffix(suffix.size());
    return name.size() > 3 && name[name.size() - 3] == '.' &&
           name.substr(name.size() - 2) != std::string_view(kMagic + 6, 2);
  }
  return false;
}

void WriteCache(const fs::path& file, const std::vector<SourceFile>& sources,
                const ConversionTables& tables) {
  TableWriter body;
  tables.Save(body);
  TableWriter header;
  PutHeader(header, sources, body.bytes());
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  WriteWhole(file, {header.bytes(), body.bytes()});
  // A new layout compiles every configuration again: what the older ones
  // left goes. A link is removed, not what it leads to.
  for (fs::directory_iterator it(file.parent_path(), ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code kind;
    if (IsOtherVersion(it->path().filename().string()) &&
        !it->is_directory(kind) && !kind)
      fs::remove(it->path(), kind);
  }
}

}  // namespace

fs::path TableCacheFolder() {
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
    return fs::path(xdg) / "tovenrak";
  if (const char* home = std::getenv("HOME"); home && *home == '/')
    return fs::path(home) / ".cache" / "tovenrak";
  return {};
}

Result<LoadedTables> LoadOrCompileTables(const std::string& config_name,
                                         const fs::path& folder) {
  const std::vector<SourceFile> sources =
      folder.empty() ? std::vector<SourceFile>{} : Sources(config_name);
  const fs::path file = folder / (ConfigPath(config_name).stem().string() +
                                  "." + std::string(kMagic + 6, 2) + ".tables");
  try {
    if (!sources.empty()) {
      if (auto cached = ReadCache(file, sources))
        return LoadedTables{std::move(cached), true};
    }
    Result<ConversionPlan> plan = LoadConversionPlan(config_name);
    if (!plan) return plan.error();
    auto tables = std::make_unique<ConversionTables>(*plan);
    if (!sources.empty()) WriteCache(file, sources, *tables);
    return LoadedTables{std::move(tables), false};
  } catch (const std::bad_alloc&) {
    return Error{
        ErrorCode::kTooLarge,
        "not enough memory to compile the conversion tables of " + config_name};
  }
}

}  // namespace tovenrak::core
