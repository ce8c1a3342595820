#include "app/cli_options.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "core/encoding/encoding.h"

namespace tovenrak::app {

namespace {

core::Error Usage(std::string message) {
  return core::Error{core::ErrorCode::kInvalidInput, std::move(message)};
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  return text;
}

// An encoding named on the command line: "gb" or any label a page may use.
// std::nullopt stands for "auto".
core::Result<std::optional<core::Encoding>> ParseEncoding(
    const std::string& option, const std::string& value) {
  const std::string lower = Lower(value);
  if (lower == "auto") return std::optional<core::Encoding>();
  if (lower == "gb") return std::optional(core::Encoding::kGbk);
  if (auto encoding = core::EncodingFromLabel(lower))
    return std::optional(*encoding);
  return Usage("invalid argument '" + value + "' for '" + option +
               "' (valid: auto, gb, big5, gb18030, utf-8)");
}

// Finds `value` among `names` (case-insensitive) and returns its index.
core::Result<size_t> ParseChoice(const std::string& option,
                                 const std::string& value,
                                 std::initializer_list<const char*> names) {
  const std::string lower = Lower(value);
  std::string valid;
  size_t index = 0;
  for (const char* name : names) {
    if (lower == name) return index;
    valid += (index++ == 0 ? "" : ", ") + std::string(name);
  }
  return Usage("invalid argument '" + value + "' for '" + option +
               "' (valid: " + valid + ")");
}

core::Result<unsigned> ParseJobs(const std::string& value) {
  unsigned jobs = 0;
  const char* end = value.data() + value.size();
  auto [ptr, ec] = std::from_chars(value.data(), end, jobs);
  if (value.empty() || ec != std::errc() || ptr != end || jobs == 0 ||
      jobs > 1024) {
    return Usage("invalid number of jobs '" + value + "' (1 to 1024)");
  }
  return jobs;
}

}  // namespace

core::Result<CliOptions> ParseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  bool only_files = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (only_files || arg == "-" || arg.empty() || arg[0] != '-') {
      options.inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      only_files = true;
      continue;
    }

    // Options that take a value accept "--name VALUE", "--name=VALUE" and,
    // for the short forms, "-xVALUE".
    std::string name = arg, value;
    bool has_value = false;
    if (arg.rfind("--", 0) == 0) {
      if (size_t eq = arg.find('='); eq != std::string::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        has_value = true;
      }
    } else if (arg.size() > 2) {
      name = arg.substr(0, 2);
      value = arg.substr(2);
      has_value = true;
    }
    auto take_value = [&]() -> core::Result<std::string> {
      if (has_value) return value;
      if (i + 1 >= args.size())
        return Usage("option '" + name + "' requires an argument");
      return args[++i];
    };
    auto no_value = [&]() -> core::Status {
      if (has_value)
        return Usage("option '" + name + "' doesn't allow an argument");
      return {};
    };

    if (name == "--to" || name == "-t" || name == "--from" || name == "-f") {
      auto v = take_value();
      if (!v) return v.error();
      const bool to = name == "--to" || name == "-t";
      auto encoding = ParseEncoding(to ? "--to" : "--from", *v);
      if (!encoding) return encoding.error();
      (to ? options.request.to : options.request.from) = *encoding;
    } else if (name == "--script" || name == "-s") {
      auto v = take_value();
      if (!v) return v.error();
      auto script =
          ParseChoice("--script", *v, {"simplified", "traditional", "keep"});
      if (!script) return script.error();
      options.request.script = static_cast<core::ScriptChoice>(*script + 1);
    } else if (name == "--variant") {
      auto v = take_value();
      if (!v) return v.error();
      auto variant = ParseChoice("--variant", *v, {"tw", "twp", "hk", "std"});
      if (!variant) return variant.error();
      options.request.variant = static_cast<core::Variant>(*variant);
    } else if (name == "--markup") {
      auto v = take_value();
      if (!v) return v.error();
      auto markup = ParseChoice("--markup", *v, {"auto", "html", "text"});
      if (!markup) return markup.error();
      options.request.markup = static_cast<core::MarkupMode>(*markup);
    } else if (name == "--verbose" || name == "-v") {
      if (auto s = no_value(); !s) return s.error();
      options.verbose = true;
    } else if (name == "--output" || name == "-o") {
      auto v = take_value();
      if (!v) return v.error();
      if (v->empty()) return Usage("empty output folder");
      options.output_dir = *v;
    } else if (name == "--jobs" || name == "-j") {
      auto v = take_value();
      if (!v) return v.error();
      auto jobs = ParseJobs(*v);
      if (!jobs) return jobs.error();
      options.jobs = *jobs;
    } else if (name == "--overwrite") {
      if (auto s = no_value(); !s) return s.error();
      options.overwrite = true;
    } else if (name == "--help" || name == "-h") {
      if (auto s = no_value(); !s) return s.error();
      options.help = true;
    } else if (name == "--version") {
      if (auto s = no_value(); !s) return s.error();
      options.version = true;
    } else if (arg.rfind("--", 0) == 0) {
      return Usage("unrecognized option '" + name + "'");
    } else {
      return Usage("invalid option -- '" + arg.substr(1, 1) + "'");
    }
  }
  if (options.inputs.empty() && !options.help && !options.version) {
    return Usage("missing file operand");
  }
  return options;
}

std::string CliUsage() {
  return R"(Usage: tovenrak-convert [OPTION]... FILE...
Convert Chinese web pages and text files between encodings (Big5, GB,
GB18030, UTF-8) and between traditional and simplified characters, and
rewrite each page's charset and XML declarations to name its new encoding.

With FILE of -, read standard input and write the result to standard output.
Each other FILE is written under its own name into the output folder.

  -t, --to=ENCODING   auto (default), gb (also gbk, gb2312), big5, gb18030
                        or utf-8 (also utf8); auto converts Big5 to GB, GB
                        and GB18030 to Big5, and UTF-8 to UTF-8 in the
                        other script
  -f, --from=ENCODING auto (default: detected from a byte-order mark, the
                        page's own declaration, UTF-8 validity, or which of
                        Big5 and GB reads as likelier Chinese), or one of
                        the encodings of --to
  -s, --script=WHICH  simplified, traditional or keep; the default is
                        simplified for gb, traditional for big5, the other
                        script for auto, keep for utf-8 and gb18030
      --variant=WHICH tw (default: Taiwan characters), twp (Taiwan
                        characters and idioms), hk (Hong Kong) or std
                        (OpenCC's standard characters)
      --markup=HOW    auto (default: a file named .htm, .html, .php, .xml
                        and the like, or whose text begins with '<'), html
                        or text; a page read as markup keeps its links,
                        scripts, styles and tags, and converts its text,
                        titles, alt texts and comments; text converts
                        everything
  -v, --verbose       print one line per file: its encoding and why, the
                        target, whether it was read as markup, and what was
                        written as references or kept
  -o, --output=DIR    write converted files into DIR (default: the current
                        folder); DIR must exist
  -j, --jobs=N        convert N files at a time (default: one per core)
      --overwrite     allow writing over an input file
  -h, --help          display this help and exit
      --version       output version information and exit

Characters with no code in the target encoding are written as HTML
references (&#N;); bytes that are not valid in the source encoding are
kept unchanged. A page that cannot be read as markup (a comment or tag
that never ends) is converted as text, with a warning. A failed file is
reported and never half written.

Exit status:
 0  if all files were converted,
 1  if some files failed,
 2  if the command line was wrong.
)";
}

}  // namespace tovenrak::app
