#include "host/Thumbnails.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "aldra/DispIds.h"
#include "aldra/Picture.h"
#include "host/JpegOutput.h"

namespace aldra::host {

namespace {

constexpr const char* kSoftware = "aldra-eps 1.0";
// Previews look clean at this quality at a fraction of a PNG's size.
constexpr int kJpegQuality = 90;
// A JPEG that could not be written, whose message says why (not one of the filter's codes).
constexpr uint32_t kJpegFailed = 1;

std::string Absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) return path;
    return absolute.lexically_normal().string();
}

// Takes the picture out of a GetThumbnail answer; null for an empty answer.
IPicture* PictureOf(const Answer& answer) {
    if (answer.value.vt != VT_DISPATCH || answer.value.pdispVal == nullptr) return nullptr;
    IPicture* picture = nullptr;
    if (FAILED(answer.value.pdispVal->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture))))
        return nullptr;
    return picture;
}

// GetThumbnail gives a box's side to the picture's longer side and scales the shorter one from the
// box's other side; so a square box is asked for, the side that keeps the picture within
// width x height at its proportions.
int FittingBox(int width, int height, double widthInches, double heightInches) {
    if (!(widthInches > 0) || !(heightInches > 0)) return std::max(width, height);
    bool landscape = heightInches < widthInches;
    // A hair over, so that 384 x 6 / 4 stays 576 after the division's rounding.
    double other = landscape ? height * widthInches / heightInches : width * heightInches / widthInches;
    other += other * 1e-12;
    int side = landscape ? std::min<double>(width, other) : std::min<double>(height, other);
    return std::max(1, side);
}

// A fact of the attached file as a positive number; 0 when the filter does not know it.
uint32_t PositiveFact(FilterControl& control, const char* name) {
    std::string text = control.Call("GetFact", {StringArg(name)}).Text();
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 1000000) return 0;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value;
}

// The box that keeps the picture `answer` drew within the pixels of the preview it came from, or
// `size` when it is within them already (or came from artwork, which has no pixels of its own).
int BoxWithinPreview(FilterControl& control, const Answer& answer, int size) {
    uint32_t ownWidth = PositiveFact(control, kFactPreviewPixelWidth);
    uint32_t ownHeight = PositiveFact(control, kFactPreviewPixelHeight);
    IPicture* picture = ownWidth > 0 && ownHeight > 0 ? PictureOf(answer) : nullptr;
    if (picture == nullptr) return size;
    RgbImage drawn;
    uint32_t status = picture->ReadRgbRows(&drawn);
    picture->Release();
    if (status != 0 || drawn.width == 0 || drawn.height == 0 ||
        (drawn.width <= ownWidth && drawn.height <= ownHeight))
        return size;
    double scale =
        std::min(static_cast<double>(ownWidth) / drawn.width, static_cast<double>(ownHeight) / drawn.height);
    return std::max(1, static_cast<int>(size * scale));
}

// The picture as the new file `path`: 0, or a result code; a JPEG's failure as its message.
uint32_t SaveAs(IPicture* picture, PictureFormat format, const std::vector<PngTextChunk>& chunks,
                const std::string& path, std::string* why) {
    if (format == PictureFormat::Png) return picture->SaveAsPng(path.c_str(), chunks);
    if (format == PictureFormat::Bmp) return picture->SaveAsBmp(path.c_str());
    RgbImage image;
    if (uint32_t status = picture->ReadRgbRows(&image); status != 0) return status;
    *why = WriteJpegFile(image, path, kJpegQuality);
    return why->empty() ? 0 : kJpegFailed;
}

ThumbnailOutcome SavePicture(FilterControl& control, const FileFacts& facts, int size, bool preferStored,
                             const std::string& path, PictureFormat format, bool upscale) {
    auto draw = [&](int box) {
        return control.Call("GetThumbnail", {LongArg(box), LongArg(box), BoolArg(preferStored)});
    };
    Answer first = draw(size);
    int within = !upscale && first.ok() ? BoxWithinPreview(control, first, size) : size;
    Answer answer = within < size ? draw(within) : std::move(first);
    if (!answer.ok()) {
        return {ThumbnailResult::Failed, answer.description.empty()
                                             ? std::string("the filter could not make a thumbnail")
                                             : answer.description};
    }
    bool hasDispatch = answer.value.vt == VT_DISPATCH && answer.value.pdispVal != nullptr;
    if (!hasDispatch) return {ThumbnailResult::NoPicture, "the filter has no thumbnail for this file"};
    IPicture* picture = PictureOf(answer);
    if (picture == nullptr)
        return {ThumbnailResult::Failed, "the filter answered something that is not a picture"};
    SHORT type = PICTYPE_NONE;
    picture->get_Type(&type);
    uint32_t status = 0;
    std::string why;
    if (type == PICTYPE_BITMAP) {
        std::vector<PngTextChunk> chunks;
        for (const ThumbnailText& t : FreedesktopText(facts.path, facts.formatRowMime))
            chunks.push_back({t.key, t.value});
        status = SaveAs(picture, format, chunks, path, &why);
    }
    picture->Release();
    if (type != PICTYPE_BITMAP)
        return {ThumbnailResult::NoPicture, "the filter has no thumbnail for this file"};
    if (status != 0)
        return {ThumbnailResult::Failed, "cannot write the thumbnail (" +
                                             (why.empty() ? "result code " + std::to_string(status) : why) +
                                             ")"};
    return {ThumbnailResult::Written, {}};
}

}  // namespace

std::string FileUri(const std::string& absolutePath) {
    static const char* digits = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : absolutePath) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += digits[c >> 4];
            uri += digits[c & 15];
        }
    }
    return uri;
}

std::vector<ThumbnailText> FreedesktopText(const std::string& sourcePath, const std::string& mimeType) {
    std::vector<ThumbnailText> text;
    struct stat info {};
    if (::stat(sourcePath.c_str(), &info) != 0) return text;
    text.push_back({"Thumb::URI", FileUri(Absolute(sourcePath))});
    text.push_back({"Thumb::MTime", std::to_string(static_cast<long long>(info.st_mtime))});
    text.push_back({"Thumb::Size", std::to_string(static_cast<long long>(info.st_size))});
    text.push_back({"Thumb::Mimetype", mimeType.empty() ? std::string("image/x-eps") : mimeType});
    text.push_back({"Software", kSoftware});
    return text;
}

ThumbnailOutcome WriteThumbnail(FilterControl& control, const FileFacts& facts, int size, bool preferStored,
                                const std::string& path, PictureFormat format, bool upscale) {
    return SavePicture(control, facts, size, preferStored, path, format, upscale);
}

ThumbnailOutcome WritePicture(FilterControl& control, const FileFacts& facts, int width, int height,
                              const std::string& path, PictureFormat format) {
    int box = FittingBox(width, height, facts.width, facts.height);
    Answer answer = control.Call("GetThumbnail", {LongArg(box), LongArg(box), BoolArg(false)});
    IPicture* picture = answer.ok() ? PictureOf(answer) : nullptr;
    if (picture == nullptr)
        return {ThumbnailResult::NoPicture, "the filter has no picture it can draw at that size"};
    std::string why;
    uint32_t status = SaveAs(picture, format, {}, path, &why);
    picture->Release();
    if (status != 0)
        return {ThumbnailResult::Failed, "cannot write the picture (" +
                                             (why.empty() ? "result code " + std::to_string(status) : why) +
                                             ")"};
    return {ThumbnailResult::Written, {}};
}

ThumbnailOutcome ThumbnailPng(FilterControl& control, const FileFacts& facts, int size,
                              const std::string& scratchDir, std::string* bytes) {
    bytes->clear();
    std::string temporary = scratchDir + "/thumbnail.png";
    ::unlink(temporary.c_str());
    ThumbnailOutcome outcome = SavePicture(control, facts, size, true, temporary, PictureFormat::Png, true);
    if (outcome.result == ThumbnailResult::Written) {
        std::ifstream in(temporary, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        *bytes = content.str();
        if (!in || bytes->empty()) outcome = {ThumbnailResult::Failed, "cannot read the thumbnail back"};
    }
    ::unlink(temporary.c_str());
    return outcome;
}

}  // namespace aldra::host
