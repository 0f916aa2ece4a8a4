// Layers over a catalogue store, each about one thing: a store that hands everything on, and the
// layer that stores paths as a share names them.
#pragma once
#include <memory>

#include "host/CatalogStore.h"
#include "host/SharePaths.h"

namespace aldra::host {

// Hands every call to the store below; a layer overrides what it is about.
class ForwardingStore : public CatalogStore {
  public:
    explicit ForwardingStore(std::unique_ptr<CatalogStore> inner) : inner_(std::move(inner)) {}

    const std::string& name() const override { return inner_->name(); }
    HostError LoadFolder(const std::string& folder, std::map<std::string, StoredFile>* files) override {
        return inner_->LoadFolder(folder, files);
    }
    HostError LoadBelow(const std::string& folder, const std::string& after, size_t limit,
                        std::vector<StoredFile>* rows) override {
        return inner_->LoadBelow(folder, after, limit, rows);
    }
    HostError FindSameFile(const FileStamp& stamp, std::vector<StoredFile>* rows) override {
        return inner_->FindSameFile(stamp, rows);
    }
    HostError Claim(const std::string& path, const FileStamp& stamp, int thumbnailSize,
                    ClaimResult* result) override {
        return inner_->Claim(path, stamp, thumbnailSize, result);
    }
    HostError Store(const FileRecord& record, const FileStamp& stamp, int64_t cataloguedAt) override {
        return inner_->Store(record, stamp, cataloguedAt);
    }
    HostError Move(const std::string& from, const std::string& to, const FileStamp& stamp, int64_t movedAt,
                   bool* taken) override {
        return inner_->Move(from, to, stamp, movedAt, taken);
    }
    HostError Restamp(const std::string& path, const FileStamp& stamp) override {
        return inner_->Restamp(path, stamp);
    }
    HostError Remove(const std::string& path) override { return inner_->Remove(path); }
    HostError LinkPlates() override { return inner_->LinkPlates(); }
    HostError Commit() override { return inner_->Commit(); }
    size_t pending() const override { return inner_->pending(); }
    HostError Ask(const std::string& sql, const std::vector<SqlValue>& params,
                  std::vector<std::vector<std::string>>* rows) override {
        return inner_->Ask(sql, params, rows);
    }

  protected:
    std::unique_ptr<CatalogStore> inner_;
};

// The run names files by their local paths; the rows below hold the share's.
std::unique_ptr<CatalogStore> WithShareRoot(std::unique_ptr<CatalogStore> store, const ShareRoot& root);

}  // namespace aldra::host
