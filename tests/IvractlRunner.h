// Runs the built ivractl through the shell and collects what it printed;
// runs a table of ivractl steps and checks what each printed.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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
    const std::string command = env + " '" + std::string(IVRACTL_PATH) + "' " + args + " >'" + out.string() + "' 2>'" +
                                err.string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    auto slurp = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

// One ivractl run of a table: its arguments, the exit status, its stdout
// (all of it, or a text it contains) and a text its stderr contains.
struct IvractlStep {
    IvractlStep(std::string arguments, int exitStatus, std::string output, std::string inError = {})
        : args(std::move(arguments)), status(exitStatus), out(std::move(output)), inErr(std::move(inError)) {}
    std::string args;
    int status;
    std::string out;
    std::string inErr;
};

enum class OutputMatch { kExact, kContains };

// Runs the steps in order through `ivractl` (args -> CommandRun); a step that
// fails must say why on stderr.
template <typename Ivractl>
void RunIvractlSteps(const std::vector<IvractlStep>& steps, Ivractl&& ivractl,
                     OutputMatch match = OutputMatch::kExact) {
    for (const IvractlStep& step : steps) {
        const CommandRun run = ivractl(step.args);
        EXPECT_EQ(run.status, step.status) << step.args << "\n" << run.out << run.err;
        if (match == OutputMatch::kExact) {
            EXPECT_EQ(run.out, step.out) << step.args;
        } else {
            EXPECT_NE(run.out.find(step.out), std::string::npos) << step.args << "\n" << run.out;
        }
        EXPECT_NE(run.err.find(step.inErr), std::string::npos) << step.args << "\n" << run.err;
        if (step.status != 0) {
            EXPECT_FALSE(run.err.empty()) << step.args;
        }
    }
}

}  // namespace ivra::testing
