// tvr: the recording joiner's engine on the command line. Parses the command line and runs
// one command: join, info or check.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <string>

#include "cli/commands.h"
#include "cli/console.h"

namespace {

constexpr char kDescription[] =
    "tvr joins multi-channel signal recordings (*.tvr) into one longer recording, as the\n"
    "tvrjoin Windows program does, and inspects their headers.";

// Returns the exit status CLI11 gives for --help and --version (0), or kExitUsage.
int UsageExit(const CLI::App& app, const CLI::ParseError& error) {
  const int code = app.exit(error);
  return code == 0 ? 0 : tvr::cli::kExitUsage;
}

void AddOrderOption(CLI::App* command, std::string* order) {
  command
      ->add_option("--order", *order,
                   "time: by creation time, earliest first (default); given: as listed")
      ->check(CLI::IsMember({"time", "given"}));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{kDescription, "tvr"};
  app.set_version_flag("--version", "tvr " TVR_VERSION);
  app.require_subcommand(1);

  tvr::cli::JoinOptions join;
  std::string joinOrder = "time";
  CLI::App* joinCommand = app.add_subcommand(
      "join",
      "Join recordings: the earliest whole, then the whole frames of each later one.\n"
      "The output is \"Collected<N>_<earliest name>\" beside the earliest unless -o is given.");
  joinCommand->add_option("-o,--output", join.output, "Write the joined recording to PATH")
      ->option_text("PATH");
  AddOrderOption(joinCommand, &joinOrder);
  joinCommand->add_option("--trace", join.trace, "Write the trace log to FILE")
      ->option_text("FILE");
  joinCommand->add_flag("-q,--quiet", join.quiet, "No progress bar and no output path on success");
  joinCommand->add_option("FILE", join.files, "Recordings to join")->required();

  tvr::cli::CheckOptions check;
  std::string checkOrder = "time";
  CLI::App* checkCommand = app.add_subcommand(
      "check", "Show what join would do, writing nothing: order, boundaries, output, verdict");
  checkCommand->add_option("-o,--output", check.output, "The output join would write")
      ->option_text("PATH");
  AddOrderOption(checkCommand, &checkOrder);
  checkCommand->add_flag("--json", check.json, "One JSON document instead of text");
  checkCommand->add_option("FILE", check.files, "Recordings to join")->required();

  tvr::cli::InfoOptions info;
  CLI::App* infoCommand =
      app.add_subcommand("info", "Show every header field and the data layout of recordings");
  infoCommand->add_flag("--json", info.json, "One JSON document instead of text");
  infoCommand->add_option("FILE", info.files, "Recordings to inspect")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return UsageExit(app, error);
  }
  join.orderGiven = joinOrder == "given";
  check.orderGiven = checkOrder == "given";

  try {
    if (joinCommand->parsed()) return tvr::cli::RunJoin(join);
    if (checkCommand->parsed()) return tvr::cli::RunCheck(check);
    return tvr::cli::RunInfo(info);
  } catch (const std::exception& error) {
    // Only allocation or JSON failures get here; the engine itself does not throw.
    std::fprintf(stderr, "tvr: %s\n", error.what());
    return tvr::cli::kExitIoError;
  }
}
