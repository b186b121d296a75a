// The command line in Chinese: help pages laid out for teachers, and argument errors translated
// from CLI11's English into one Chinese sentence each.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace valdrex::cli {

// "用法：", "选项：", "位置参数：", "子命令：" and Chinese value placeholders ("整数", "文字"); the
// descriptions wrapped to lines of `width` columns.
class ChineseFormatter : public CLI::Formatter {
 public:
  explicit ChineseFormatter(std::size_t width = 80);
  std::string make_group(std::string group, bool is_positional,
                         std::vector<const CLI::Option*> opts) const override;
  std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override;
  std::string make_description(const CLI::App* app) const override;
  std::string make_usage(const CLI::App* app, std::string name) const override;
  std::string make_option_opts(const CLI::Option* opt) const override;

 private:
  std::size_t width_;
};

// What went wrong with the arguments of `app` (after its parse threw `error`), in Chinese: names
// the option and the value, suggests the nearest subcommand or option for a mistyped one, and
// ends with where to read the usage. Never English, whatever CLI11 said.
std::string argumentError(const CLI::App& app, const CLI::ParseError& error,
                          const std::vector<std::string>& args);

// The name in `names` within two edits (a swap of neighbours is one) of `typed`, the nearest
// first in `names` order; empty when none is that close.
std::string nearestName(const std::string& typed, const std::vector<std::string>& names);

}  // namespace valdrex::cli
