#include "host/SharePaths.h"

#include <filesystem>

namespace aldra::host {

namespace {

// `path` with `from` at its start replaced by `to`, when it is `from` itself or below it.
std::string Rebased(const std::string& path, const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return path;
    if (from == "/") return path.size() > 0 && path[0] == '/' ? (to == "/" ? path : to + path) : path;
    if (path.compare(0, from.size(), from) != 0) return path;
    if (path.size() == from.size()) return to;
    if (path[from.size()] != '/') return path;
    return (to == "/" ? "" : to) + path.substr(from.size());
}

}  // namespace

HostError ParseShareRoot(const std::string& text, ShareRoot* root) {
    size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        return {"--root wants LOCAL=SHARE (a mount point and the name stored instead), got '" + text + "'"};
    std::string share = text.substr(equals + 1);
    while (share.size() > 1 && share.back() == '/') share.pop_back();
    std::error_code ec;
    std::string local = std::filesystem::canonical(text.substr(0, equals), ec).string();
    if (ec || !std::filesystem::is_directory(local, ec))
        return {"--root: " + text.substr(0, equals) + ": " + (ec ? ec.message() : "not a folder")};
    *root = {local, share};
    return {};
}

std::string ToShare(const ShareRoot& root, const std::string& localPath) {
    return Rebased(localPath, root.local, root.share);
}

std::string ToLocal(const ShareRoot& root, const std::string& sharePath) {
    return Rebased(sharePath, root.share, root.local);
}

}  // namespace aldra::host
