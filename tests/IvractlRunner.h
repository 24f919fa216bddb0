// Runs the built ivractl through the shell and collects what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace ivra::testing {

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `args` is a shell word list; `scratch` a folder for the captured output;
// `env` an optional environment prefix ("NAME='value' ...").
inline CommandRun RunIvractl(const std::string& args, const std::filesystem::path& scratch,
                             const std::string& env = "") {
    const auto out = scratch / "ivractl.stdout";
    const auto err = scratch / "ivractl.stderr";
    const std::string command = env + " '" + std::string(IVRACTL_PATH) + "' " + args + " >'" + out.string() +
                                "' 2>'" + err.string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    auto slurp = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

}  // namespace ivra::testing
