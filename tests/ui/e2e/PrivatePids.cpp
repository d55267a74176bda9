// Programs whose tests start processes named veilport and end the first one
// they can see run as the first process of a PID namespace of their own, with
// a /proc of their own, so that a person's own running Veilport is never seen.
#include "e2e/PrivatePids.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace veilport::testing {

std::string& NoPrivatePidsReason() {
    static std::string reason;
    return reason;
}

namespace {

std::string Failed(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool WriteText(const char* file, const std::string& text) {
    std::ofstream out(file);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

// Unshares the PID and mount namespaces, as root or, failing that, inside a
// user namespace of our own where the system allows one.
std::string UnsharePidsAndMounts() {
    if (::unshare(CLONE_NEWPID | CLONE_NEWNS) == 0) return {};
    const std::string asIs = Failed("no private PID namespace");
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNS) != 0) return asIs;
    if (!WriteText("/proc/self/setgroups", "deny") ||
        !WriteText("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
        !WriteText("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1"))
        return "no identity in a user namespace";
    return {};
}

// In the namespace's first process: a /proc that shows only this namespace.
std::string MountOwnProc() {
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return Failed("cannot make the mounts private");
    if (::mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
        return Failed("cannot mount a /proc of our own");
    return {};
}

}  // namespace

// Runs the rest of main in a child that is the first process of a private PID
// namespace; the parent only waits for it and ends with its status. Returns
// in the child (or, without a namespace, in this process) with the reason the
// tests must be skipped, or empty.
std::string EnterPrivatePids() {
    if (std::string reason = UnsharePidsAndMounts(); !reason.empty()) return reason;
    const pid_t child = ::fork();
    if (child < 0) {
        // The namespace is made but nobody can live in it: skip, as outside it.
        return Failed("cannot start the namespace's first process");
    }
    if (child == 0) {
        // The tests end with the program that ctest runs, whatever ends it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        return MountOwnProc();
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::_Exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

}  // namespace veilport::testing
