#include "host/FileList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace aldra::host {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Wanted(const fs::path& path, const FileListOptions& options) {
    std::string name = path.filename().string();
    if (name.rfind("._", 0) == 0) return false;
    std::string extension = Lower(path.extension().string());
    if (extension.size() < 2) return false;
    return std::find(options.extensions.begin(), options.extensions.end(), extension.substr(1)) !=
           options.extensions.end();
}

// A folder's files and, depth first, those of its folders, each level in name order.
void Walk(const fs::path& folder, const FileListOptions& options, std::vector<std::string>* files,
          std::vector<std::string>* problems) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec) {
        problems->push_back(folder.string() + ": cannot list the folder: " + ec.message());
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    for (const fs::directory_entry& entry : entries) {
        std::error_code kind;
        if (entry.is_directory(kind) && !entry.is_symlink(kind)) {
            if (entry.path().filename() != "__MACOSX") Walk(entry.path(), options, files, problems);
        } else if (entry.is_regular_file(kind) && Wanted(entry.path(), options)) {
            files->push_back(entry.path().string());
        }
    }
}

}  // namespace

bool ParseExtensions(const std::string& list, std::vector<std::string>* extensions) {
    extensions->clear();
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = std::min(list.find(',', start), list.size());
        std::string extension = Lower(list.substr(start, end - start));
        if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
        if (!extension.empty()) extensions->push_back(extension);
        start = end + 1;
    }
    return !extensions->empty();
}

std::vector<std::string> ListFiles(const std::vector<std::string>& operands, const FileListOptions& options,
                                   std::vector<std::string>* problems) {
    std::vector<std::string> files;
    for (const std::string& operand : operands) {
        std::error_code ec;
        if (!fs::is_directory(operand, ec)) {
            files.push_back(operand);
        } else if (!options.recursive) {
            problems->push_back(operand + ": is a folder (-r reads the files below it)");
        } else {
            Walk(operand, options, &files, problems);
        }
    }
    return files;
}

}  // namespace aldra::host
