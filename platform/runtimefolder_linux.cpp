#include "platform/runtimefolder.h"

#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tovrin::platform {

std::string notOwnFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return std::strerror(errno);
    if (S_ISLNK(st.st_mode))
        return "it is a link";
    if (!S_ISDIR(st.st_mode))
        return "it is not a folder";
    if (st.st_uid != ::geteuid())
        return "it belongs to another user";
    if ((st.st_mode & 077) != 0) {
        char mode[48];
        std::snprintf(mode, sizeof mode, "other users may use it (mode %03o)", st.st_mode & 0777);
        return mode;
    }
    return {};
}

namespace {

// What a socket's path may hold (sockaddr_un's sun_path, less its ending zero).
constexpr std::size_t kLongestSocketPath = 108;

// `path` made for this user (mode 0700) where nothing is, then checked: "" or why not.
std::string makeOwnFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return std::strerror(errno);
    return notOwnFolder(path);
}

} // namespace

RuntimeFolder privateRuntimeFolder() {
    std::string why;
    const auto passOver = [&why](const std::string& path, const std::string& problem) {
        why += (why.empty() ? "" : "; ") + path + ": " + problem;
    };
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        if (const std::string problem = notOwnFolder(runtime); problem.empty())
            return {runtime, {}};
        else
            passOver(runtime, problem);
    }
    // Then a folder in the user's own cache, which no other user can make first or take away:
    // every start and every command finds the same one, whatever others do in the shared
    // temporary folder. The shared folder serves only where the cache cannot, or its path is
    // too long for the socket.
    if (const std::string cache = xdgFolder("XDG_CACHE_HOME", ".cache"); !cache.empty()) {
        const std::string tovrin = joinPath(cache, "tovrin");
        const std::string run = joinPath(tovrin, "run");
        if (joinPath(run, "tovrin.socket").size() >= kLongestSocketPath) {
            passOver(run, "too long a path for a socket");
        } else {
            ::mkdir(cache.c_str(), 0700);
            ::mkdir(tovrin.c_str(), 0700);
            if (const std::string problem = makeOwnFolder(run); problem.empty())
                return {run, {}};
            else
                passOver(run, problem);
        }
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::string shared = tmp && tmp[0] == '/' ? tmp : "/tmp";
    const std::string made = joinPath(shared, "tovrin-" + std::to_string(::geteuid()));
    if (const std::string problem = makeOwnFolder(made); problem.empty())
        return {made, {}};
    else
        passOver(made, problem);
    return {{}, why};
}

bool moveStrayAside(const std::string& path, unsigned kind) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || (st.st_mode & S_IFMT) == kind)
        return false;
    // A name of this process's own that nothing has yet.
    std::string aside;
    for (int n = 1; n <= 100 && aside.empty(); ++n) {
        const std::string candidate =
            path + ".stale-" + std::to_string(::getpid()) + '-' + std::to_string(n);
        if (::lstat(candidate.c_str(), &st) != 0)
            aside = candidate;
    }
    if (aside.empty() || ::rename(path.c_str(), aside.c_str()) != 0)
        return false;
    if (::lstat(aside.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind) {
        ::rename(aside.c_str(), path.c_str()); // another copy's: not ours to take
        return false;
    }
    std::fprintf(stderr, "tovrin: %s was of the wrong kind and is moved aside\n", path.c_str());
    if (::unlink(aside.c_str()) != 0)
        ::rmdir(aside.c_str()); // a folder with something in it stays aside
    return true;
}

} // namespace tovrin::platform
