#include "host/JpegOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
// After <cstdio>: the JPEG header uses FILE without including it.
#include <jpeglib.h>

namespace aldra::host {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf recovery;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->recovery, 1);
}

// Only plain data lives in this frame across setjmp: the library's objects and the open file.
bool Compress(const RgbImage& image, FILE* out, int quality, ErrorManager* errors) {
    jpeg_compress_struct job;
    job.err = jpeg_std_error(&errors->base);
    errors->base.error_exit = JumpOnError;
    if (setjmp(errors->recovery) != 0) {
        jpeg_destroy_compress(&job);
        return false;
    }
    jpeg_create_compress(&job);
    jpeg_stdio_dest(&job, out);
    job.image_width = image.width;
    job.image_height = image.height;
    job.input_components = 3;
    job.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job);
    jpeg_set_quality(&job, quality, TRUE);
    jpeg_start_compress(&job, TRUE);
    while (job.next_scanline < job.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.rgb.data() + size_t{job.next_scanline} * image.width * 3);
        jpeg_write_scanlines(&job, &row, 1);
    }
    jpeg_finish_compress(&job);
    jpeg_destroy_compress(&job);
    return true;
}

}  // namespace

std::string WriteJpegFile(const RgbImage& image, const std::string& path, int quality) {
    if (image.width == 0 || image.height == 0 || image.rgb.size() != size_t{image.width} * image.height * 3)
        return "the picture has no pixels";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    FILE* out = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (out == nullptr) {
        std::string why = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return why;
    }
    ErrorManager errors{};
    bool written = Compress(image, out, quality, &errors);
    written = std::fflush(out) == 0 && written;
    std::string why = written ? std::string() : errors.message[0] ? errors.message : std::strerror(errno);
    written = std::fclose(out) == 0 && written;
    if (!written) ::unlink(path.c_str());
    return written ? std::string() : why.empty() ? "cannot write the JPEG file" : why;
}

}  // namespace aldra::host
