#include "cli/chinese_cli.h"

#include <algorithm>
#include <regex>
#include <sstream>

#include "valdrex/host/utf8.h"

namespace valdrex::cli {

namespace {

// Descriptions start at this column, or further left on a narrow page.
constexpr std::size_t kNameColumn = 30;
constexpr std::size_t kLeastWidth = 40;

// The text split into its characters, each with its bytes as they are.
std::vector<std::string> characters(const std::string& text) {
  std::vector<std::string> chars;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t size = utf8::decode(text, i).size;
    chars.push_back(text.substr(i, size));
    i += size;
  }
  return chars;
}

// Terminal columns: Chinese characters and full-width punctuation take two; a broken byte shows
// as one replacement mark.
std::size_t columns(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size();) {
    const utf8::Char ch = utf8::decode(text, i);
    n += ch.wellFormed && ch.cp >= 0x1000 ? 2 : 1;
    i += ch.size;
  }
  return n;
}

bool isAscii(const std::string& c) { return c.size() == 1 && c != " "; }

// Punctuation a line may not start with, and the one it may not end with.
bool isClosing(const std::string& c) {
  static const std::string closing = "，。；：、）”’》」！？…";
  return c.size() > 1 && closing.find(c) != std::string::npos;
}
bool isOpening(const std::string& c) {
  static const std::string opening = "（“‘《「";
  return c.size() > 1 && opening.find(c) != std::string::npos;
}

// Lines of at most `width` columns, broken only at spaces and between Chinese characters. A run
// of letters that holds ASCII ("语文:150,数学:150", "<原名>-统计结果.xlsx") is one word, and so is
// an example between backquotes; closing punctuation never starts a line, opening never ends one.
std::vector<std::string> wrap(const std::string& text, std::size_t width) {
  const std::vector<std::string> chars = characters(text);
  // Which characters belong to a word that holds ASCII.
  std::vector<bool> mixed(chars.size(), false);
  for (std::size_t i = 0; i < chars.size();) {
    std::size_t end = i;
    bool ascii = false;
    while (end < chars.size() && chars[end] != " " && !isClosing(chars[end]) &&
           !isOpening(chars[end])) {
      ascii = ascii || isAscii(chars[end]);
      ++end;
    }
    for (std::size_t k = i; k < end; ++k) mixed[k] = ascii;
    i = end == i ? i + 1 : end;
  }
  std::vector<std::string> units;
  bool quoted = false;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const std::string& c = chars[i];
    const std::string previous = i ? chars[i - 1] : " ";
    const bool breakable = !quoted && (c == " " || previous == " " ||
                                       (!isAscii(c) && !isAscii(previous) && !isClosing(c) &&
                                        !isOpening(previous) && !(mixed[i] && mixed[i - 1])));
    if (breakable || units.empty())
      units.push_back(c);
    else
      units.back() += c;
    if (c == "`") quoted = !quoted;
  }
  std::vector<std::string> lines(1);
  for (const std::string& u : units) {
    if (!lines.back().empty() && columns(lines.back() + u) > width) {
      if (u == " ") continue;
      while (!lines.back().empty() && lines.back().back() == ' ') lines.back().pop_back();
      lines.emplace_back();
    }
    if (lines.back().empty() && u == " ") continue;
    lines.back() += u;
  }
  return lines;
}

// "  name      description", the description wrapped to `width` and aligned in its column.
std::string helpLine(const std::string& name, const std::string& description, std::size_t width) {
  const std::size_t at = std::min(kNameColumn, width * 3 / 8);
  std::string out = "  " + name;
  std::size_t used = columns(out);
  if (description.empty()) return out + "\n";
  if (used >= at) {
    out += "\n";
    used = 0;
  }
  for (const std::string& line : wrap(description, width - at)) {
    out += std::string(at - used, ' ') + line + "\n";
    used = 0;
  }
  return out;
}

std::string quote(const std::string& text) { return "“" + text + "”"; }

std::string joined(const std::vector<std::string>& items, const std::string& separator) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

std::vector<std::string> subcommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands(std::function<bool(const CLI::App*)>{}))
    names.push_back(sub->get_name());
  return names;
}

std::vector<std::string> optionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* opt : app.get_options()) {
    for (const std::string& n : opt->get_lnames()) names.push_back("--" + n);
    for (const std::string& n : opt->get_snames()) names.push_back("-" + n);
  }
  return names;
}

bool endsWithWorkbookSuffix(const std::string& word) {
  if (word.size() < 5) return false;
  std::string tail = word.substr(word.size() - 5);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return tail == ".xlsx" || tail == ".xlsm";
}

std::string unknownSubcommand(const CLI::App& app, const std::string& word) {
  std::string s = "未知的子命令" + quote(word) + "。";
  if (endsWithWorkbookSuffix(word))
    return s + "要统计这个工作簿，请输入 valdrex run " + word + "。";
  const std::vector<std::string> names = subcommandNames(app);
  if (std::string near = nearestName(word, names); !near.empty())
    return s + "您是不是要输入 valdrex " + near + "？";
  return s + "可用的子命令：" + joined(names, "、") + "。";
}

std::string unknownArgument(const CLI::App& scope, const std::string& word) {
  if (word.empty() || word[0] != '-') return "多余的参数" + quote(word) + "。";
  const std::string name = word.substr(0, word.find('='));
  std::string s = "未知的选项" + quote(name) + "。";
  if (std::string near = nearestName(name, optionNames(scope)); !near.empty())
    s += "您是不是要输入 " + near + "？";
  return s;
}

// One Chinese sentence for what CLI11 reported; CLI11 keeps the details only in its English
// message, so the message is read back by its known shapes.
std::string sentence(const CLI::App& app, const CLI::App& scope, const CLI::ParseError& error) {
  const std::string what = error.what();
  std::smatch m;
  auto shape = [&](const char* pattern) { return std::regex_match(what, m, std::regex(pattern)); };
  auto part = [&](int i) { return m[i].str(); };

  if (dynamic_cast<const CLI::RequiredError*>(&error)) {
    if (shape("A subcommand is required|Requires at least .* subcommands"))
      return "缺少子命令。请在 valdrex 后写出要做的事，例如 valdrex run 期末.xlsx。可用的子命令：" +
             joined(subcommandNames(app), "、") + "。";
    if (shape("(.+) is required"))
      return part(1)[0] == '-' ? "缺少选项 " + part(1) + "。" : "缺少参数" + quote(part(1)) + "。";
  } else if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
    std::string s;
    for (const std::string& word : app.remaining(true)) s += unknownArgument(scope, word);
    if (!s.empty()) return s;
  } else if (dynamic_cast<const CLI::ValidationError*>(&error)) {
    if (shape("(\\S+): Value (.*) not in range (\\S+) to (\\S+)"))
      return part(1) + " 应为 " + part(3) + " 到 " + part(4) + " 之间的整数，而不是" +
             quote(part(2)) + "。";
    if (shape("(\\S+): .*")) return part(1) + " 的值不对。";
  } else if (dynamic_cast<const CLI::ConversionError*>(&error)) {
    if (shape("Could not convert: (\\S+) = (.*)")) {
      const CLI::Option* opt = scope.get_option_no_throw(part(1));
      const std::string type = opt ? opt->get_type_name() : "";
      if (opt && type.empty()) return part(1) + " 是开关选项，后面不用写值。";
      const char* wanted = type.starts_with("UINT")  ? "不小于 0 的整数"
                           : type.starts_with("INT") ? "整数"
                                                     : "";
      if (*wanted) return part(1) + " 应为" + wanted + "，而不是" + quote(part(2)) + "。";
      return part(1) + " 的值" + quote(part(2)) + "无法识别。";
    }
    if (shape("The value (.*) is not an allowed value for (\\S+)"))
      return part(2) + " 不能取值" + quote(part(1)) + "。";
    if (shape("(\\S+): (too many inputs for a flag|Should be true/false or a number)"))
      return part(1) + " 是开关选项，后面不用写值。";
  } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
    if (shape("(\\S+): \\d+ required .* missing")) return part(1) + " 后面缺少值。";
    if (shape("(\\S+): At least (\\d+) required but received (\\d+)"))
      return part(1) + " 至少需要 " + part(2) + " 个值，却只有 " + part(3) + " 个。";
    if (shape("(\\S+): At Most (\\d+) required but received (\\d+)"))
      return part(1) + " 最多只能有 " + part(2) + " 个值，却有 " + part(3) + " 个。";
    if (shape("Expected (exactly|at least) (\\d+) arguments to (\\S+), got (\\d+)"))
      return part(3) + (part(1) == "exactly" ? " 需要 " : " 至少需要 ") + part(2) + " 个值，却有 " +
             part(4) + " 个。";
    if (shape("(\\S+) was given a disallowed flag override"))
      return part(1) + " 是开关选项，后面不用写值。";
  } else if (dynamic_cast<const CLI::RequiresError*>(&error)) {
    if (shape("(\\S+) requires (\\S+)")) return part(1) + " 需要和 " + part(2) + " 一起使用。";
  } else if (dynamic_cast<const CLI::ExcludesError*>(&error)) {
    if (shape("(\\S+) excludes (\\S+)")) return part(1) + " 和 " + part(2) + " 不能同时使用。";
  }
  return "命令行参数不对。";
}

}  // namespace

ChineseFormatter::ChineseFormatter(std::size_t width) : width_(std::max(width, kLeastWidth)) {
  label("Positionals", "位置参数");
}

std::string ChineseFormatter::make_group(std::string group, bool is_positional,
                                         std::vector<const CLI::Option*> opts) const {
  std::string out = "\n" + group + "：\n";
  for (const CLI::Option* opt : opts)
    out += helpLine(make_option_name(opt, is_positional) + make_option_opts(opt),
                    make_option_desc(opt), width_);
  return out;
}

std::string ChineseFormatter::make_subcommands(const CLI::App* app, CLI::AppFormatMode) const {
  std::string out;
  for (const CLI::App* sub : app->get_subcommands(std::function<bool(const CLI::App*)>{}))
    if (!sub->get_name().empty() && !sub->get_disabled())
      out += helpLine(sub->get_name(), sub->get_description(), width_);
  return out.empty() ? out : "\n子命令：\n" + out;
}

std::string ChineseFormatter::make_description(const CLI::App* app) const {
  std::string out;
  for (const std::string& line : wrap(app->get_description(), width_)) out += line + "\n";
  return app->get_description().empty() ? "" : out;
}

std::string ChineseFormatter::make_usage(const CLI::App* app, std::string name) const {
  std::string out = "用法：" + name;
  if (!app->get_options([](const CLI::Option* o) { return o->nonpositional(); }).empty())
    out += " [选项]";
  for (const CLI::Option* opt :
       app->get_options([](const CLI::Option* o) { return o->get_positional(); }))
    out += " " + make_option_usage(opt);
  if (!app->get_subcommands(std::function<bool(const CLI::App*)>{}).empty())
    out += app->get_require_subcommand_min() == 0 ? " [子命令]" : " 子命令";
  return out + "\n";
}

std::string ChineseFormatter::make_option_opts(const CLI::Option* opt) const {
  const std::string type = opt->get_type_name();
  if (!opt->nonpositional() || type.empty()) return "";  // flags have no type
  if (!opt->get_option_text().empty()) return " " + opt->get_option_text();
  std::string text = type.starts_with("INT") || type.starts_with("UINT") ? "整数" : "文字";
  if (opt->get_expected_max() == CLI::detail::expected_max_vector_size) text += " …";
  return " " + text;
}

std::string argumentError(const CLI::App& app, const CLI::ParseError& error,
                          const std::vector<std::string>& args) {
  const std::vector<CLI::App*> parsed = app.get_subcommands();
  if (parsed.empty()) {
    // The first word that is not an option is the subcommand the teacher meant.
    for (const std::string& word : args)
      if (!word.empty() && word[0] != '-')
        return "参数有误：" + unknownSubcommand(app, word) + "\n请运行 valdrex --help 查看用法。\n";
  }
  const CLI::App& scope = parsed.empty() ? app : *parsed.back();
  const std::string help =
      parsed.empty() ? "valdrex --help" : "valdrex " + scope.get_name() + " --help";
  return "参数有误：" + sentence(app, scope, error) + "\n请运行 " + help + " 查看用法。\n";
}

std::string nearestName(const std::string& typed, const std::vector<std::string>& names) {
  const std::vector<std::string> a = characters(typed);
  std::string best;
  std::size_t bestDistance = 3;
  for (const std::string& name : names) {
    const std::vector<std::string> b = characters(name);
    // Edit distance where swapping two neighbours counts as one edit.
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
      for (std::size_t j = 1; j <= b.size(); ++j) {
        d[i][j] = std::min(
            {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
          d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    const std::size_t distance = d[a.size()][b.size()];
    if (distance < bestDistance && distance < a.size()) {
      best = name;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace valdrex::cli
