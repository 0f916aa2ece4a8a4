// The walk of a catalogue run through its folders, one folder at a time, so that what it holds at once
// is the folders above the one it lists, never the whole tree.
#pragma once
#include <dirent.h>

#include <set>
#include <string>
#include <vector>

#include "host/CatalogStore.h"

namespace aldra::host {

struct FoundFile {
    std::string path;
    FileStamp stamp;
};

// What the walk could not take in: a folder it cannot list, a path too long for the system to open.
struct Trouble {
    std::string path;
    std::string reason;
};

// One listed folder: its files (without the Macintosh fork companions beside them) and its troubles.
struct FolderListing {
    std::string path;
    std::vector<FoundFile> files;
    std::vector<Trouble> troubles;
};

class FolderWalk {
  public:
    // `roots` are absolute folders; files named in `skip` are left out.
    FolderWalk(std::vector<std::string> roots, std::set<std::string> skip);
    ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // Lists the next folder into *listing; false when every folder has been listed.
    bool Next(FolderListing* listing);

  private:
    // A folder listed, with the subfolders still to walk. Its stream stays open, so that the walk
    // reaches its subfolders through it, however long their paths grow.
    struct Frame {
        DIR* dir = nullptr;
        std::string path;
        std::vector<std::string> subfolders;
        size_t next = 0;
    };

    void List(int folderFd, const std::string& path, FolderListing* listing);

    std::vector<std::string> roots_;
    size_t nextRoot_ = 0;
    std::set<std::string> skip_;
    std::vector<Frame> stack_;
};

}  // namespace aldra::host
