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
    if (extension == ".bmp") {
        *format = PictureFormat::Bmp;
        return {};
    }
    std::string named = extension.empty() ? "a name without an extension" : "'" + extension + "'";
    std::string why =
        extension == ".jpg" || extension == ".jpeg" || extension == ".webp"
            ? "this program writes no " + std::string(extension == ".webp" ? "WebP" : "JPEG") + " files"
            : "the format of " + named + " is not one this program writes";
    return out + ": " + why + "; name it .png or .bmp";
}

}  // namespace aldra::host
