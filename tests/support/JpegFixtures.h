// JPEG streams made with libjpeg's compressor from samples the test chooses, their ASCII85 form, and
// the Photoshop thumbnail resource around a stream, so that each test states the picture it decodes.
#pragma once
#include <jpeglib.h>
#include <cstdio>
#include <cstdlib>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace aldra::testing {

struct JpegOptions {
    J_COLOR_SPACE stored = JCS_UNKNOWN;  // the stream's colour space; unknown: the library's choice
    int quality = 95;
    int restartRows = 0;  // MCU rows per restart interval
    bool progressive = false;
    bool fullChroma = true;  // no subsampling, so colours survive within a few levels
    std::string comment;     // a COM marker's bytes, to pad or shape the stream

    JpegOptions& WithStored(J_COLOR_SPACE space) { return stored = space, *this; }
    JpegOptions& WithQuality(int q) { return quality = q, *this; }
    JpegOptions& WithRestartRows(int rows) { return restartRows = rows, *this; }
    JpegOptions& WithProgression() { return progressive = true, *this; }
    JpegOptions& WithChromaSubsampling() { return fullChroma = false, *this; }
    JpegOptions& WithComment(std::string bytes) { return comment = std::move(bytes), *this; }
};

// samples: width x height pixels of `components` bytes (1 grey, 3 RGB, 4 CMYK, others unknown).
inline std::string EncodeJpeg(uint32_t width, uint32_t height, int components,
                              const std::vector<uint8_t>& samples, const JpegOptions& o = {}) {
    jpeg_compress_struct c;
    jpeg_error_mgr errors;
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = components;
    c.in_color_space = components == 1   ? JCS_GRAYSCALE
                       : components == 3 ? JCS_RGB
                       : components == 4 ? JCS_CMYK
                                         : JCS_UNKNOWN;
    jpeg_set_defaults(&c);
    if (o.stored != JCS_UNKNOWN) jpeg_set_colorspace(&c, o.stored);
    jpeg_set_quality(&c, o.quality, TRUE);
    if (o.fullChroma)
        for (int i = 0; i < c.num_components; ++i)
            c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    c.restart_in_rows = o.restartRows;
    if (o.progressive) jpeg_simple_progression(&c);
    // A scan interleaves at most four components: more take a scan each.
    std::vector<jpeg_scan_info> scans(components > 4 ? components : 0);
    for (int i = 0; i < static_cast<int>(scans.size()); ++i) scans[i] = {1, {i}, 0, 63, 0, 0};
    if (!scans.empty()) {
        c.scan_info = scans.data();
        c.num_scans = components;
    }
    jpeg_start_compress(&c, TRUE);
    if (!o.comment.empty())
        jpeg_write_marker(&c, JPEG_COM, reinterpret_cast<const JOCTET*>(o.comment.data()),
                          static_cast<unsigned>(o.comment.size()));
    const size_t rowBytes = static_cast<size_t>(width) * components;
    while (c.next_scanline < height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + c.next_scanline * rowBytes);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string stream(reinterpret_cast<char*>(out), size);
    std::free(out);
    return stream;
}

// Samples whose byte s of pixel (x, y) is pattern(x, y, s).
template <typename Pattern>
std::vector<uint8_t> JpegSamples(uint32_t width, uint32_t height, int components, Pattern pattern) {
    std::vector<uint8_t> samples;
    samples.reserve(static_cast<size_t>(width) * height * components);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int s = 0; s < components; ++s) samples.push_back(static_cast<uint8_t>(pattern(x, y, s)));
    return samples;
}

// The PostScript ASCII85 encoding: "z" for a group of four zero bytes, the final k bytes as k + 1
// digits, lines of 64 characters and the end mark "~>". Without the final group when asked, to
// show what those bytes are worth.
inline std::string Ascii85(const std::string& bytes, bool dropFinalGroup = false) {
    std::string text;
    size_t whole = bytes.size() / 4 * 4;
    auto digits = [&](size_t at, size_t n) {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i)
            v = v << 8 | (at + i < bytes.size() && i < n ? static_cast<uint8_t>(bytes[at + i]) : 0u);
        if (n == 4 && v == 0) return std::string("z");
        char d[5];
        for (int i = 4; i >= 0; --i, v /= 85) d[i] = static_cast<char>('!' + v % 85);
        return std::string(d, n + 1);
    };
    for (size_t at = 0; at < whole; at += 4) text += digits(at, 4);
    if (!dropFinalGroup && whole < bytes.size()) text += digits(whole, bytes.size() - whole);
    std::string lines;
    for (size_t at = 0; at < text.size(); at += 64) lines += text.substr(at, 64) + "\n";
    return lines + "~>";
}

// Resource 1033's data: the 28-byte thumbnail header (format 1, JPEG), then the stream.
inline std::string ThumbnailResourceData(uint32_t width, uint32_t height, const std::string& jpeg) {
    auto be32 = [](uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    uint32_t rowBytes = (width * 24 + 31) / 32 * 4;
    return be32(1) + be32(width) + be32(height) + be32(rowBytes) + be32(rowBytes * height) +
           be32(static_cast<uint32_t>(jpeg.size())) + std::string{0, 24, 0, 1} + jpeg;
}

}  // namespace aldra::testing
