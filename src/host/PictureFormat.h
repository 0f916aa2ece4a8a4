// Which picture format an output file's name asks for. The program writes PNG, BMP and JPEG files
// (JPEG with the library the module decodes with); a name that asks for another format is refused
// rather than filled with one of those.
#pragma once
#include <string>

namespace aldra::host {

enum class PictureFormat { Png, Bmp, Jpeg };

// "" with *format set for a name ending in .png, .bmp, .jpg or .jpeg (any case), or without an
// extension when `bareIsPng` (file managers may name a thumbnail so); otherwise the message.
std::string FormatForName(const std::string& out, bool bareIsPng, PictureFormat* format);

}  // namespace aldra::host
