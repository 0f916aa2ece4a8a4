// qpdf's input source over the project's file reader, so that PDF files are read through the same
// checked, exclusive file layer as every other file.
#pragma once
#include <qpdf/InputSource.hh>
#include <string>

#include "base/FileReader.h"

namespace aldra {

class ReaderInputSource : public InputSource {
  public:
    // The reader stays the caller's and must outlive this source.
    ReaderInputSource(FileReader* reader, std::string name);

    qpdf_offset_t findAndSkipNextEOL() override;
    std::string const& getName() const override { return name_; }
    qpdf_offset_t tell() override { return static_cast<qpdf_offset_t>(position_); }
    void seek(qpdf_offset_t offset, int whence) override;
    void rewind() override { position_ = 0; }
    size_t read(char* buffer, size_t length) override;
    void unreadCh(char) override;

  private:
    FileReader* reader_;
    std::string name_;
    uint64_t position_ = 0;
};

}  // namespace aldra
