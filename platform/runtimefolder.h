// The folder of the single-instance lock and the command socket. Whatever is in it can end the
// program or take its commands, so it must belong to this user alone: never a folder another
// user can write, or could have made first.
#pragma once

#include <string>

namespace tovrin::platform {

struct RuntimeFolder {
    std::string path; // "" when no folder of this user's own could be had
    std::string why;  // then why not, for the user
};

// $XDG_RUNTIME_DIR when it is this user's own; otherwise $XDG_CACHE_HOME/tovrin/run
// (~/.cache), made for this user with mode 0700; otherwise $TMPDIR/tovrin-UID (or /tmp), made
// the same way. A folder made by someone else, open to others or reached through a link is
// passed over. Checked anew at each call, so each use of the lock or the socket checks its
// folder first; no other user can change which folder that is while the cache can be used.
RuntimeFolder privateRuntimeFolder();

// Why `path` is not a folder of this user's alone (not a folder, a link, another owner, open to
// group or others), or "".
std::string notOwnFolder(const std::string& path);

// Something other than a `kind` (S_IFREG, S_IFSOCK) at `path` never comes from a copy of the
// program: it is moved aside so that the real thing can be made there. It is first renamed to a
// name of this process's own, so that a copy starting at the same moment and making the real
// thing there can never lose it to this clean-up; what was renamed is then removed, kept aside
// when it is a folder with something in it, or put back when it turns out to be a `kind` after
// all. Returns whether something was moved.
bool moveStrayAside(const std::string& path, unsigned kind);

} // namespace tovrin::platform
