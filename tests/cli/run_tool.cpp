// Starting the tool: posix_spawn on POSIX, CreateProcessA on Windows (under Wine in the
// cross build). The tool is found from this test's own location, so no host path is
// compiled in and the same relative path works natively and under Wine.
#include "tests/cli/run_tool.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tvr::test {

namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef _WIN32

std::filesystem::path ToolPath() {
  char self[MAX_PATH];
  const DWORD n = ::GetModuleFileNameA(nullptr, self, sizeof self);
  if (n == 0 || n >= sizeof self) throw std::runtime_error("GetModuleFileNameA failed");
  return (std::filesystem::path(self).parent_path() / TVR_TOOL_RELATIVE).lexically_normal();
}

// One argument as CreateProcess's command-line parser reads it back.
std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

HANDLE Inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  const HANDLE h = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                 disposition, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  return h;
}

int Spawn(const std::vector<std::string>& args, const std::string& directory,
          const std::string& outPath, const std::string& errPath) {
  std::string command = Quote(ToolPath().string());
  for (const auto& arg : args) {
    command += ' ';
    command += Quote(arg);
  }
  const HANDLE in = Inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE out = Inheritable(outPath, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE err = Inheritable(errPath, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  const BOOL started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        directory.c_str(), &si, &pi);
  ::CloseHandle(in);
  ::CloseHandle(out);
  ::CloseHandle(err);
  if (!started) throw std::runtime_error("CreateProcessA failed: " + command);
  DWORD code = 0;
  const bool waited = ::WaitForSingleObject(pi.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                      ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  if (!waited) throw std::runtime_error("waiting for the tool failed");
  return static_cast<int>(code);
}

#else

std::filesystem::path ToolPath() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / TVR_TOOL_RELATIVE)
      .lexically_normal();
}

int Spawn(const std::vector<std::string>& args, const std::string& directory,
          const std::string& outPath, const std::string& errPath) {
  const std::string tool = ToolPath().string();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(tool.c_str()));
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) throw std::runtime_error("spawn actions");
  const bool prepared =
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
      posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0644) == 0 &&
      posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0644) == 0 &&
      posix_spawn_file_actions_addchdir_np(&actions, directory.c_str()) == 0;
  pid_t pid = 0;
  const int spawned =
      prepared ? posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ) : -1;
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + tool);
  int wstatus = 0;
  if (waitpid(pid, &wstatus, 0) != pid) throw std::runtime_error("waitpid failed");
  if (!WIFEXITED(wstatus)) throw std::runtime_error("the tool died by a signal");
  return WEXITSTATUS(wstatus);
}

#endif

}  // namespace

ToolRun RunTool(const std::vector<std::string>& args, const std::string& directory,
                const std::string& scratch) {
  const std::filesystem::path outPath = std::filesystem::path(scratch) / "stdout";
  const std::filesystem::path errPath = std::filesystem::path(scratch) / "stderr";
  ToolRun run;
  run.status = Spawn(args, directory, outPath.string(), errPath.string());
  run.out = ReadText(outPath);
  run.err = ReadText(errPath);
  return run;
}

}  // namespace tvr::test
