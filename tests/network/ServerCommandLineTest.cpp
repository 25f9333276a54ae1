// The data server's command line: --help, what it refuses, and its exit codes.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

struct ServerRun {
    int exitCode = -1;  // -1: did not exit by itself
    std::string output;  // stdout and stderr together
};

// Starts the server with `args`; when `stopOn` appears in its output it gets SIGTERM.
// Waits at most 20 s for it to end.
ServerRun RunServer(std::vector<std::string> args, const std::string& stopOn = "") {
    ServerRun run;
    int pipes[2];
    if (pipe(pipes) != 0) return run;
    args.insert(args.begin(), TARROW_DATASERVER);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipes[1], 1);
        dup2(pipes[1], 2);
        close(pipes[0]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipes[1]);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool signalled = false;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{pipes[0], POLLIN, 0};
        if (poll(&p, 1, int(left.count())) <= 0) break;
        char chunk[4096];
        ssize_t n = read(pipes[0], chunk, sizeof chunk);
        if (n <= 0) break;  // the server closed its output: it ended
        run.output.append(chunk, size_t(n));
        if (!stopOn.empty() && !signalled && run.output.find(stopOn) != std::string::npos) {
            kill(pid, SIGTERM);
            signalled = true;
        }
    }
    close(pipes[0]);
    // Its output closes a moment before it has exited.
    int status = 0;
    if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return run;
    }
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

TEST(ServerCommandLine, HelpPrintsTheUsageWithTheExitCodes) {
    for (const char* flag : {"--help", "-h"}) {
        ServerRun run = RunServer({flag});
        EXPECT_EQ(run.exitCode, 0) << flag;
        EXPECT_NE(run.output.find("usage: tarrow-dataserver"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("exit: 0"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("listening"), std::string::npos) << "help does not serve";
    }
}

TEST(ServerCommandLine, ABadCommandLineExitsWithTwoAndTheUsage) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--port", "seventy"}, {"--port", "70000"}, {"--fault", "fly"},
          {"--verbose"}, {"--data"}}) {
        ServerRun run = RunServer(args);
        EXPECT_EQ(run.exitCode, 2) << args[0] << ": " << run.output;
        EXPECT_NE(run.output.find("usage:"), std::string::npos) << run.output;
    }
}

TEST(ServerCommandLine, WhatCannotBeServedExitsWithOne) {
    ServerRun missing = RunServer({"--data", "/nonexistent/tarrow-data"});
    EXPECT_EQ(missing.exitCode, 1) << missing.output;
    EXPECT_FALSE(missing.output.empty()) << "it says why";

    CLoopbackListener taken;
    ServerRun busy = RunServer({"--port", std::to_string(taken.Port())});
    EXPECT_EQ(busy.exitCode, 1) << busy.output;
    EXPECT_EQ(busy.output.find("listening"), std::string::npos) << busy.output;
}

TEST(ServerCommandLine, SigtermEndsAServingServerWithZero) {
    ServerRun run = RunServer({"--port", "0"}, "listening on 127.0.0.1:");
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

}  // namespace
