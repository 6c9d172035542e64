#pragma once
// Work in a fresh process: the test program started again (posix_spawn of
// /proc/self/exe) with "--lumi-child NAME ARG...", which the tests' main
// hands to the child registered under NAME before GoogleTest starts. A
// forked copy of a test process carries its threads' locks (the reaper's,
// the sanitizers') and may hang on one; a new program cannot.

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

using ChildMain = int (*)(const std::vector<std::string>& args);

// A file-scope object of this type registers a child's main under a name.
struct ChildRegistration {
    ChildRegistration(const char* name, ChildMain main);
};

// Starts the child NAME with ARGS; its pid, or -1.
pid_t spawnChild(const std::string& name, const std::vector<std::string>& args);

// In main: the child's exit code when argv asks for one, else -1.
int runChildIfAsked(int argc, char** argv);

} // namespace testsupport
