// Runs the built tvr tool as a separate process and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

namespace tvr::test {

struct ToolRun {
  int status = -1;
  std::string out;  // stdout bytes
  std::string err;  // stderr bytes
};

// Runs tvr with `args` in `directory`, stdin empty, stdout and stderr captured through
// files in `scratch` (an existing directory).
ToolRun RunTool(const std::vector<std::string>& args, const std::string& directory,
                const std::string& scratch);

}  // namespace tvr::test
