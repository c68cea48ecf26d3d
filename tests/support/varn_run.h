#pragma once
// The headless runner as a user runs it: a child process, its output and exit status.
// VARN_RUN_PATH, the runner's path in the build tree, is defined by the test target.

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace varn::test {

struct RunResult {
    int status = -1;     // exit status, -1 when the runner did not exit normally
    std::string output;  // standard output and error
};

// `folder`, when given, is the runner's working folder (where the default settings look for
// the system ROM files).
inline RunResult run_varn(const std::string& args, const std::filesystem::path& folder = {}) {
    RunResult r;
    const std::string in_folder = folder.empty() ? "" : "cd '" + folder.string() + "' && ";
    const std::string command   = in_folder + std::string(VARN_RUN_PATH) + " " + args + " 2>&1";
    std::FILE* pipe             = popen(command.c_str(), "r");
    if (pipe == nullptr) return r;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) r.output += buffer.data();
    const int raw = pclose(pipe);
    r.status      = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

// A file in the system's temporary folder, named apart per suite and per process.
inline std::filesystem::path temp_file(const std::string& suite, const std::string& name) {
    return std::filesystem::temp_directory_path() /
           (suite + "_" + std::to_string(::getpid()) + "_" + name);
}

}  // namespace varn::test
