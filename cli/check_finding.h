// What `valdrex check` reports: the layout it found and the findings, each about one place.
#pragma once

#include <string>
#include <vector>

namespace valdrex::cli {

struct Finding {
  std::string place;  // "成绩表!D7", or a sheet's name
  std::string text;
  bool stopsLoading = false;  // the run would stop loading here with its limits message
};

struct CheckReport {
  std::vector<std::string> layout;  // what was found, one line each
  std::vector<Finding> findings;
};

}  // namespace valdrex::cli
