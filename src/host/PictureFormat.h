// Which picture format an output file's name asks for. The program writes PNG and BMP files; a name
// that asks for another format is refused rather than filled with one of those.
#pragma once
#include <string>

namespace aldra::host {

enum class PictureFormat { Png, Bmp };

// "" with *format set for a name ending in .png or .bmp (any case), or without an extension when
// `bareIsPng` (file managers may name a thumbnail so); otherwise the message for the user.
std::string FormatForName(const std::string& out, bool bareIsPng, PictureFormat* format);

}  // namespace aldra::host
