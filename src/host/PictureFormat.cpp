#include "host/PictureFormat.h"

#include <cctype>
#include <filesystem>

namespace aldra::host {

std::string FormatForName(const std::string& out, bool bareIsPng, PictureFormat* format) {
    std::string extension = std::filesystem::path(out).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".png" || (extension.empty() && bareIsPng)) {
        *format = PictureFormat::Png;
        return {};
    }
    if (extension == ".bmp" || extension == ".jpg" || extension == ".jpeg") {
        *format = extension == ".bmp" ? PictureFormat::Bmp : PictureFormat::Jpeg;
        return {};
    }
    std::string named = extension.empty() ? "a name without an extension" : "'" + extension + "'";
    std::string why = extension == ".webp" ? "this program writes no WebP files (it has no WebP library)"
                                           : "the format of " + named + " is not one this program writes";
    return out + ": " + why + "; name it .png, .bmp or .jpg";
}

}  // namespace aldra::host
