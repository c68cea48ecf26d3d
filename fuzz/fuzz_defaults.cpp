// The options a fuzz target runs with by default, given by the build (VARN_FUZZ_DEFAULTS):
// its longest useful input and how fast inputs may grow, so that a plain run with no flags
// explores real inputs. They go in front of the command line's own flags, and the fuzzer
// takes the last of a repeated flag, so a flag given on the command line wins.

#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<std::string> defaults;
    static std::vector<char*> args;
    std::istringstream words(VARN_FUZZ_DEFAULTS);
    for (std::string w; words >> w;) defaults.push_back(w);
    args.push_back((*argv)[0]);
    for (std::string& d : defaults) args.push_back(d.data());
    for (int i = 1; i < *argc; ++i) args.push_back((*argv)[i]);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
    return 0;
}
