#include "app/cli_options.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "app/cli_catalogue.h"
#include "core/encoding/encoding.h"

namespace tovenrak::app {

namespace {

core::Error Usage(std::string message) {
  return core::Error{core::ErrorCode::kInvalidInput, std::move(message)};
}

// The names separated by commas, in lines that fit 80 columns where the
// help indents them.
std::string Join(const std::vector<std::string>& names) {
  constexpr size_t kIndent = 24, kWidth = 79;
  std::string joined;
  size_t column = kIndent;
  for (const std::string& name : names) {
    if (!joined.empty()) {
      joined += ',';
      ++column;
      if (column + name.size() + 1 > kWidth) {
        joined += '\n' + std::string(kIndent, ' ');
        column = kIndent;
      }
    }
    joined += name;
    column += name.size();
  }
  return joined;
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
    const std::string& option, const std::string& value, const Messages& say) {
  const std::string lower = Lower(value);
  if (lower == "auto") return std::optional<core::Encoding>();
  if (lower == "gb") return std::optional(core::Encoding::kGbk);
  if (auto encoding = core::EncodingFromLabel(lower))
    return std::optional(*encoding);
  return Usage(say("invalid argument '{0}' for '{1}' (valid: {2})",
                   {value, option, "auto, gb, big5, gb18030, utf-8"}));
}

// Finds `value` among `names` (case-insensitive) and returns its index.
core::Result<size_t> ParseChoice(const std::string& option,
                                 const std::string& value,
                                 std::initializer_list<const char*> names,
                                 const Messages& say) {
  const std::string lower = Lower(value);
  std::string valid;
  size_t index = 0;
  for (const char* name : names) {
    if (lower == name) return index;
    valid += (index++ == 0 ? "" : ", ") + std::string(name);
  }
  return Usage(say("invalid argument '{0}' for '{1}' (valid: {2})",
                   {value, option, valid}));
}

core::Result<unsigned> ParseJobs(const std::string& value,
                                 const Messages& say) {
  unsigned jobs = 0;
  const char* end = value.data() + value.size();
  auto [ptr, ec] = std::from_chars(value.data(), end, jobs);
  if (value.empty() || ec != std::errc() || ptr != end || jobs == 0 ||
      jobs > 1024) {
    return Usage(say("invalid number of jobs '{0}' (1 to 1024)", {value}));
  }
  return jobs;
}

// "htm,.HTML" -> {"htm", "html"}; "*.htm;*.html", as file dialogs write
// a type's patterns, gives the same.
core::Result<std::vector<std::string>> ParseExtensions(const std::string& list,
                                                       const Messages& say) {
  std::vector<std::string> extensions;
  for (size_t start = 0; start <= list.size();) {
    size_t end = std::min(list.find_first_of(",;", start), list.size());
    std::string extension = Lower(list.substr(start, end - start));
    // "htm, txt" as people write lists.
    extension.erase(0, extension.find_first_not_of(" \t"));
    extension.erase(extension.find_last_not_of(" \t") + 1);
    // Any other pattern would match no file name and convert nothing
    // without a word.
    if (extension.starts_with("*.")) extension.erase(0, 1);
    if (extension.starts_with(".")) extension.erase(0, 1);
    if (extension.find_first_of(" \t/*?[") != std::string::npos)
      return Usage(say("invalid extension '{0}'", {extension}));
    if (!extension.empty()) extensions.push_back(std::move(extension));
    start = end + 1;
  }
  if (extensions.empty()) return Usage(say("empty extension list"));
  return extensions;
}

}  // namespace

core::Result<CliOptions> ParseCliOptions(std::vector<std::string> args,
                                         bool stdin_is_terminal,
                                         const Messages& say) {
  CliOptions options;
  bool only_files = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string arg = args[i];
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
      // Options without a value may be run together: "-rv" is "-r -v".
      if (name == "-r" || name == "-q" || name == "-v" || name == "-h") {
        args.insert(args.begin() + static_cast<long>(i) + 1, "-" + value);
        has_value = false;
      }
    }
    auto take_value = [&]() -> core::Result<std::string> {
      if (has_value) return value;
      if (i + 1 >= args.size())
        return Usage(say("option '{0}' requires an argument", {name}));
      return args[++i];
    };
    auto no_value = [&]() -> core::Status {
      if (has_value)
        return Usage(say("option '{0}' doesn't allow an argument", {name}));
      return {};
    };

    if (name == "--to" || name == "-t" || name == "--from" || name == "-f") {
      auto v = take_value();
      if (!v) return v.error();
      const bool to = name == "--to" || name == "-t";
      auto encoding = ParseEncoding(to ? "--to" : "--from", *v, say);
      if (!encoding) return encoding.error();
      (to ? options.request.to : options.request.from) = *encoding;
    } else if (name == "--script" || name == "-s") {
      auto v = take_value();
      if (!v) return v.error();
      auto script = ParseChoice("--script", *v,
                                {"simplified", "traditional", "keep"}, say);
      if (!script) return script.error();
      options.request.script = static_cast<core::ScriptChoice>(*script + 1);
    } else if (name == "--variant") {
      auto v = take_value();
      if (!v) return v.error();
      auto variant =
          ParseChoice("--variant", *v, {"tw", "twp", "hk", "std"}, say);
      if (!variant) return variant.error();
      options.request.variant = static_cast<core::Variant>(*variant);
    } else if (name == "--markup") {
      auto v = take_value();
      if (!v) return v.error();
      auto markup = ParseChoice("--markup", *v, {"auto", "html", "text"}, say);
      if (!markup) return markup.error();
      options.request.markup = static_cast<core::MarkupMode>(*markup);
    } else if (name == "--verbose" || name == "-v" || name == "--quiet" ||
               name == "-q") {
      if (auto s = no_value(); !s) return s.error();
      options.verbosity = name == "--verbose" || name == "-v"
                              ? Verbosity::kVerbose
                              : Verbosity::kQuiet;
    } else if (name == "--recursive" || name == "-r") {
      if (auto s = no_value(); !s) return s.error();
      options.recursive = true;
    } else if (name == "--ext") {
      auto v = take_value();
      if (!v) return v.error();
      auto extensions = ParseExtensions(*v, say);
      if (!extensions) return extensions.error();
      options.extensions = std::move(*extensions);
    } else if (name == "--output" || name == "-o") {
      auto v = take_value();
      if (!v) return v.error();
      if (v->empty()) return Usage(say("empty output folder"));
      // As other tools read it, "-o -" asks for standard output, which only
      // standard input's conversion goes to; a folder of that name is "./-".
      if (*v == "-")
        return Usage(
            say("'-o -' names no folder: give no file, or '-', to "
                "convert standard input to standard output"));
      options.output_dir = *v;
      options.output_given = true;
    } else if (name == "--jobs" || name == "-j") {
      auto v = take_value();
      if (!v) return v.error();
      auto jobs = ParseJobs(*v, say);
      if (!jobs) return jobs.error();
      options.jobs = *jobs;
    } else if (name == "--phrases") {
      auto v = take_value();
      if (!v) return v.error();
      options.phrase_files.push_back(*v);
    } else if (name == "--ambiguities") {
      if (auto s = no_value(); !s) return s.error();
      options.list_ambiguities = true;
      options.request.find_ambiguities = true;
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
      return Usage(say("unrecognized option '{0}'", {name}));
    } else {
      return Usage(say("invalid option -- '{0}'", {arg.substr(1, 1)}));
    }
  }
  if (options.inputs.empty() && !options.help && !options.version) {
    if (stdin_is_terminal) return Usage(say("missing file operand"));
    options.inputs.push_back("-");
  }
  return options;
}

std::string CliUsage(const Messages& say) {
  return say(UsageText(), {Join(core::DocumentExtensions())});
}

}  // namespace tovenrak::app
