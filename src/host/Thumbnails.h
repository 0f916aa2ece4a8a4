// Thumbnails as the host stores them: the picture the filter answers for the attached file, saved as a
// freedesktop thumbnail PNG (with the tEXt chunks file managers check) or as a BMP.
#pragma once
#include <string>
#include <vector>

#include "host/FilterHost.h"
#include "host/PictureFormat.h"

namespace aldra::host {

enum class ThumbnailResult { Written, NoPicture, Failed };

struct ThumbnailOutcome {
    ThumbnailResult result = ThumbnailResult::Failed;
    std::string message;  // for NoPicture and Failed
};

// The freedesktop keys for a source file: Thumb::URI, Thumb::MTime, Thumb::Size, Thumb::Mimetype and
// Software. Empty when the file cannot be looked at.
struct ThumbnailText {
    std::string key, value;
};
std::vector<ThumbnailText> FreedesktopText(const std::string& sourcePath, const std::string& mimeType);

// The file:// URI of an absolute path, with everything but unreserved characters and '/' percent-encoded.
std::string FileUri(const std::string& absolutePath);

// Asks the control (attached to facts.path) for a thumbnail fitted into `size` x `size` and writes it
// as the new file `path`: a PNG with the freedesktop chunks, a BMP or a JPEG. Without `upscale`
// a raster preview smaller than the box keeps its own pixels: the box is a maximum, as freedesktop
// thumbnail sizes are.
ThumbnailOutcome WriteThumbnail(FilterControl& control, const FileFacts& facts, int size, bool preferStored,
                                const std::string& path, PictureFormat format, bool upscale);

// The attached file's picture drawn (rendered sources first, as a conversion does) at its proportions
// as large as fits width x height pixels, written as the new PNG or JPEG file `path`.
ThumbnailOutcome WritePicture(FilterControl& control, const FileFacts& facts, int width, int height,
                              const std::string& path, PictureFormat format);

// The same PNG as bytes, for the catalogue. An empty string with NoPicture when the filter has none.
ThumbnailOutcome ThumbnailPng(FilterControl& control, const FileFacts& facts, int size,
                              const std::string& scratchDir, std::string* bytes);

}  // namespace aldra::host
