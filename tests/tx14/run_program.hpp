// Runs the built tx14 program with arguments (standard input from a file)
// and collects its exit code (minus the signal that ended it), standard
// output and standard error.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.hpp"

extern char** environ;

namespace tx14::test {

// The worked large opening as an item file (17 lines).
inline const std::string kOpening =
    "kind = \"opening\"\ncode = \"VIII-1\"\nunits = \"US\"\nitem = 7\ndescription = \"Head\"\n"
    "material = \"SA-105\"\nP = 100.0\nT = 300.0\nt = 4.0\nBn = 30.0\nA = 60.0\ng0s = 1.0\n"
    "g1s = 1.5\nhs = 3.0\nca = 0.125\nSho = 20000.0\nShg = 20000.0\n";

struct ProgramRun {
    int exit_code;  // -1000: not run
    std::string out, err;
};

// A fresh directory below the system's temporary directory, removed with
// the object.
struct ScratchDir {
    std::filesystem::path path;
    explicit ScratchDir(const std::string& name)
        : path(std::filesystem::temp_directory_path() / ("tx14-cli-" + name + "-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
};

inline ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                              const std::filesystem::path& scratch, const std::filesystem::path& input = "/dev/null")
{
    const std::filesystem::path out = scratch / "stdout", err = scratch / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    int status = 0;
    const bool ran = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0 &&
                     waitpid(pid, &status, 0) == pid;
    posix_spawn_file_actions_destroy(&actions);
    return {ran ? WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status) : -1000, read_file(out), read_file(err)};
}

}  // namespace tx14::test
