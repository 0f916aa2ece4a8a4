// Paths as a shared folder sees them. Machines mount a file server's share at different places
// (/mnt/art here, /Volumes/art there); the catalogue stores every path below the local mount point
// under the share's name instead, so that each machine's runs agree on every row.
#pragma once
#include <string>

#include "host/FilterHost.h"

namespace aldra::host {

struct ShareRoot {
    std::string local;  // the mount point on this machine, absolute and canonical
    std::string share;  // the name stored instead, e.g. //server/art
};

// LOCAL=SHARE, split at the last '=': LOCAL an existing folder (made canonical, as the walk names
// paths), SHARE not empty. A trailing '/' of SHARE is dropped.
HostError ParseShareRoot(const std::string& text, ShareRoot* root);

// A path below (or at) one side as the other side names it; any other path as it is.
std::string ToShare(const ShareRoot& root, const std::string& localPath);
std::string ToLocal(const ShareRoot& root, const std::string& sharePath);

}  // namespace aldra::host
