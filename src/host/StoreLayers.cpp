#include "host/StoreLayers.h"

namespace aldra::host {

namespace {

class ShareRootStore : public ForwardingStore {
  public:
    ShareRootStore(std::unique_ptr<CatalogStore> inner, ShareRoot root)
        : ForwardingStore(std::move(inner)), root_(std::move(root)) {}

    HostError LoadFolder(const std::string& folder, std::map<std::string, StoredFile>* files) override {
        std::map<std::string, StoredFile> rows;
        if (HostError error = inner_->LoadFolder(Share(folder), &rows)) return error;
        for (auto& [path, row] : rows) {
            row.path = Local(path);
            (*files)[row.path] = std::move(row);
        }
        return {};
    }
    HostError LoadBelow(const std::string& folder, const std::string& after, size_t limit,
                        std::vector<StoredFile>* rows) override {
        size_t first = rows->size();
        if (HostError error =
                inner_->LoadBelow(Share(folder), after.empty() ? after : Share(after), limit, rows))
            return error;
        for (size_t i = first; i < rows->size(); ++i) (*rows)[i].path = Local((*rows)[i].path);
        return {};
    }
    HostError FindSameFile(const FileStamp& stamp, std::vector<StoredFile>* rows) override {
        size_t first = rows->size();
        if (HostError error = inner_->FindSameFile(stamp, rows)) return error;
        for (size_t i = first; i < rows->size(); ++i) (*rows)[i].path = Local((*rows)[i].path);
        return {};
    }
    HostError Claim(const std::string& path, const FileStamp& stamp, int thumbnailSize,
                    ClaimResult* result) override {
        return inner_->Claim(Share(path), stamp, thumbnailSize, result);
    }
    HostError Store(const FileRecord& record, const FileStamp& stamp, int64_t cataloguedAt) override {
        FileRecord shared = record;
        shared.facts.path = Share(record.facts.path);
        return inner_->Store(shared, stamp, cataloguedAt);
    }
    HostError Move(const std::string& from, const std::string& to, const FileStamp& stamp, int64_t movedAt,
                   bool* taken) override {
        return inner_->Move(Share(from), Share(to), stamp, movedAt, taken);
    }
    HostError Restamp(const std::string& path, const FileStamp& stamp) override {
        return inner_->Restamp(Share(path), stamp);
    }
    HostError Remove(const std::string& path) override { return inner_->Remove(Share(path)); }

  private:
    std::string Share(const std::string& path) const { return ToShare(root_, path); }
    std::string Local(const std::string& path) const { return ToLocal(root_, path); }

    ShareRoot root_;
};

}  // namespace

std::unique_ptr<CatalogStore> WithShareRoot(std::unique_ptr<CatalogStore> store, const ShareRoot& root) {
    return std::make_unique<ShareRootStore>(std::move(store), root);
}

}  // namespace aldra::host
