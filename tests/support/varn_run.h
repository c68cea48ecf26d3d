#pragma once
// The programs as a user runs them: a child process, its output and exit status.
// VARN_RUN_PATH, the headless runner's path in the build tree, is defined by the test target
// that runs it.

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace varn::test {

struct RunResult {
    int status = -1;     // exit status, -1 when the program did not exit normally
    std::string output;  // standard output and error
};

// Runs a shell command line, standard error joined to the output.
inline RunResult run_command(const std::string& command) {
    RunResult r;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return r;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) r.output += buffer.data();
    const int raw = pclose(pipe);
    r.status      = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

#ifdef VARN_RUN_PATH
// `folder`, when given, is the runner's working folder (where relative paths on its command
// line point). `env` is put before the command ("NAME=value ..."). The runner never sees the
// user's own profile: its default profile folder is one that does not exist, unless `env`
// names another.
inline RunResult run_varn(const std::string& args, const std::filesystem::path& folder = {},
                          const std::string& env = {}) {
    const std::string in_folder = folder.empty() ? "" : "cd '" + folder.string() + "' && ";
    const std::string no_profile =
        "XDG_CONFIG_HOME='" +
        (std::filesystem::temp_directory_path() / "varn_test_no_profile").string() + "' ";
    return run_command(in_folder + no_profile + env + " " + std::string(VARN_RUN_PATH) + " " +
                       args);
}
#endif

// A file in the system's temporary folder, named apart per suite and per process.
inline std::filesystem::path temp_file(const std::string& suite, const std::string& name) {
    return std::filesystem::temp_directory_path() /
           (suite + "_" + std::to_string(::getpid()) + "_" + name);
}

}  // namespace varn::test
