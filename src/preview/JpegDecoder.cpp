// JPEG decoding through libjpeg's IJG interface. The library reports fatal errors by calling the
// error exit, which never returns: ours destroys the decompression object and jumps back to the
// decode's recovery point. Everything that lives across that jump is therefore plain data (the
// job record below), and the blocks a decode allocates are released explicitly on both paths.
#include "preview/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including their headers
#include <cstring>

#include <jpeglib.h>

#include "base/Block.h"
#include "base/Bytes.h"

namespace aldra {

namespace {

// One band holds at most this many bytes of pixels, whatever the image size.
constexpr uint32_t kBandBytes = 65536;
// What the library may allocate for image-sized buffers (progressive and multi-scan streams keep
// every coefficient): a forged header must not be able to ask for gigabytes.
constexpr long kLibraryMemoryLimit = 256L << 20;
// Every 8 x 8 block of every component costs the stream at least one bit, however plain the picture
// is, so a stream of n bytes holds at most 512 n pixels. A header that claims many more describes a
// picture that is not there: the library would make up the rest, and converting it row by row took
// minutes for a 1 KB stream claiming half a billion pixels. Twice the bound, and a floor for small
// streams, keep every real picture; a truncated one larger than the floor is refused rather than
// completed in grey.
constexpr uint64_t kJpegPixelsPerByte = 1024;
constexpr uint64_t kJpegPixelsAlways = uint64_t{16} << 20;
constexpr size_t kAscii85BufferBytes = 256;
// A refill stops at the first group boundary at or above this, so that a whole group always fits.
constexpr size_t kAscii85RefillStop = kAscii85BufferBytes - 4;

// ---- Error handling -------------------------------------------------------------------------

struct RecoveringErrors {
    jpeg_error_mgr manager;  // first, so the library's pointer leads back to the whole record
    jmp_buf recovery;
};

void IgnoreMessage(j_common_ptr) {}
void IgnoreMessageLevel(j_common_ptr, int) {}
void FormatNoMessage(j_common_ptr, char* buffer) {
    buffer[0] = '\0';
}
void ResetMessageCounters(j_common_ptr cinfo) {
    cinfo->err->num_warnings = 0;
    cinfo->err->msg_code = 0;
}

[[noreturn]] void AbandonDecode(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<RecoveringErrors*>(cinfo->err);
    jpeg_destroy(cinfo);
    std::longjmp(errors->recovery, 1);
}

// Every message is suppressed: the filter has no one to show them to, and corrupt thumbnails are
// common enough that warnings would only cost time.
void InstallRecoveringErrors(RecoveringErrors* errors, jpeg_decompress_struct* cinfo) {
    std::memset(&errors->manager, 0, sizeof errors->manager);
    errors->manager.error_exit = AbandonDecode;
    errors->manager.emit_message = IgnoreMessageLevel;
    errors->manager.output_message = IgnoreMessage;
    errors->manager.format_message = FormatNoMessage;
    errors->manager.reset_error_mgr = ResetMessageCounters;
    errors->manager.trace_level = 0;
    cinfo->err = &errors->manager;
}

// ---- Restart handling -----------------------------------------------------------------------

// Writers with a wrong restart interval put their markers where none is due; dropping the marker
// the library met and carrying on decodes such streams, usually with no visible damage.
boolean SkipMisplacedMarker(j_decompress_ptr cinfo, int) {
    cinfo->unread_marker = 0;
    return TRUE;
}

// ---- Memory source --------------------------------------------------------------------------

void SourceNothingToDo(j_decompress_ptr) {}

// The whole stream is in the buffer from the start, so a refill has nothing to add: reporting no
// data makes the library stop where the stream stops. The library calls this once it has used up
// its own copy of the count, so the count in the source record may be stale and is not consulted.
boolean FillFromMemory(j_decompress_ptr) {
    return FALSE;
}

void SkipInMemory(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0) return;
    size_t skip = static_cast<size_t>(count) < source->bytes_in_buffer ? static_cast<size_t>(count)
                                                                       : source->bytes_in_buffer;
    source->next_input_byte += skip;
    source->bytes_in_buffer -= skip;
}

void InitMemorySource(const uint8_t* data, size_t length, jpeg_source_mgr* source) {
    source->next_input_byte = data;
    source->bytes_in_buffer = length;
    source->init_source = SourceNothingToDo;
    source->fill_input_buffer = FillFromMemory;
    source->skip_input_data = SkipInMemory;
    source->resync_to_restart = jpeg_resync_to_restart;
    source->term_source = SourceNothingToDo;
}

// ---- ASCII85 source -------------------------------------------------------------------------

struct Ascii85Source {
    jpeg_source_mgr manager;  // first, so the library's pointer leads back to the whole record
    EpsReader* eps;
    bool ended;  // "~" has been read
    uint8_t buffer[kAscii85BufferBytes];
};

bool ReadFileByte(EpsReader* eps, uint8_t* byte) {
    uint64_t got = 0;
    return EpsReadBytes(eps, byte, 1, &got) == kOk && got == 1;
}

bool IsAscii85Blank(uint8_t c) {
    return c == '\r' || c == '\n' || c == ' ' || c == '\t';
}

bool IsAscii85Digit(uint8_t c) {
    return c >= '!' && c <= 'u';
}

// A final group of k digits stands for k - 1 bytes: the missing digits count as "u", the largest,
// so that the bytes kept come out as they were written.
size_t StorePartialGroup(uint32_t value, int digits, uint8_t* out) {
    if (digits < 2) return 0;
    for (int i = digits; i < 5; ++i) value = value * 85 + 84;
    uint8_t group[4];
    StoreBe32(group, value);
    std::memcpy(out, group, static_cast<size_t>(digits - 1));
    return static_cast<size_t>(digits - 1);
}

// Decodes text into the buffer. False for text that is not ASCII85 or a file that ends before "~":
// the bytes of this refill are then dropped.
bool DecodeAscii85Text(Ascii85Source* source, size_t* count) {
    uint8_t* out = source->buffer;
    size_t n = 0;
    uint32_t value = 0;
    int digits = 0;
    // n grows only at group boundaries, so the test never stops a refill inside a group.
    while (n < kAscii85RefillStop) {
        uint8_t c = 0;
        if (!ReadFileByte(source->eps, &c)) return false;
        if (IsAscii85Blank(c)) continue;
        if (c == 'z') {
            if (digits != 0) return false;
            std::memset(out + n, 0, 4);
            n += 4;
        } else if (c == '~') {
            uint8_t closing = 0;
            ReadFileByte(source->eps, &closing);  // the ">"
            source->ended = true;
            n += StorePartialGroup(value, digits, out + n);
            break;
        } else if (IsAscii85Digit(c)) {
            value = value * 85 + static_cast<uint32_t>(c - '!');  // wraps for groups above 2^32 - 1
            if (++digits == 5) {
                StoreBe32(out + n, value);
                n += 4;
                value = 0;
                digits = 0;
            }
        } else {
            return false;
        }
    }
    *count = n;
    return true;
}

boolean FillFromAscii85(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<Ascii85Source*>(cinfo->src);
    if (source->ended) return FALSE;
    size_t count = 0;
    if (!DecodeAscii85Text(source, &count) || count == 0) return FALSE;
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = count;
    return TRUE;
}

void SkipInAscii85(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0) return;
    auto left = static_cast<size_t>(count);
    while (left > source->bytes_in_buffer) {
        left -= source->bytes_in_buffer;
        source->bytes_in_buffer = 0;
        if (!FillFromAscii85(cinfo)) return;
    }
    source->next_input_byte += left;
    source->bytes_in_buffer -= left;
}

void InitAscii85Source(EpsReader* eps, Ascii85Source* source) {
    source->eps = eps;
    source->ended = false;
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = 0;
    source->manager.init_source = SourceNothingToDo;
    source->manager.fill_input_buffer = FillFromAscii85;
    source->manager.skip_input_data = SkipInAscii85;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = SourceNothingToDo;
}

// ---- Decoding into bands --------------------------------------------------------------------

// This record lives across the recovery point, in the caller's frame, which the jump does not
// unwind: its owners stay valid there. The frames the jump leaves hold plain data only.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    RecoveringErrors errors;
    jpeg_source_mgr* source;
    // Photoshop writes CMYK JPEGs with every sample inverted (255 is no ink); the JPEG %ImageData
    // pictures hold plain ink amounts.
    bool invertCmyk;
    RowSink* sink;
    uint64_t streamBytes;  // at most what the stream can hold, for PlausibleSize
    BlockPtr band;
    BlockPtr rowBlock;
    JSAMPROW* rows;  // in rowBlock, pointers into band
};

struct BandPlan {
    RowFormat format;
    uint32_t depth;
    uint32_t rowBytes;
    uint32_t rowsPerBand;
};

// Grey comes as light (255 white); the other spaces as they are.
Status PlanBands(const jpeg_decompress_struct& cinfo, BandPlan* plan) {
    uint32_t pixelBits = 24;
    int components = 3;
    plan->format = RowFormat::kRgb;
    if (cinfo.out_color_space == JCS_GRAYSCALE) {
        pixelBits = 8;
        components = 1;
        plan->format = RowFormat::kLight;
    } else if (cinfo.out_color_space == JCS_CMYK) {
        pixelBits = 32;
        components = 4;
        plan->format = RowFormat::kCmyk;
    }
    // Any other count of samples would write past the rows.
    if (cinfo.output_components != components) return kErrFormat;
    if (cinfo.output_width == 0 || cinfo.output_height == 0) return kErrFormat;
    plan->depth = pixelBits;
    plan->rowBytes = AlignedStride(pixelBits, cinfo.output_width);
    uint32_t rows = kBandBytes / plan->rowBytes;
    // Rows wider than a band still go one at a time.
    if (rows == 0) rows = 1;
    plan->rowsPerBand = rows < cinfo.output_height ? rows : cinfo.output_height;
    return kOk;
}

Status AllocateBand(const BandPlan& plan, JpegJob* job) {
    // At most max(kBandBytes, one row of 65,535 CMYK pixels): no overflow.
    Status status = AllocBlock(plan.rowBytes * plan.rowsPerBand, &job->band);
    if (status != kOk) return status;
    status = AllocBlock(static_cast<uint32_t>(plan.rowsPerBand * sizeof(JSAMPROW)), &job->rowBlock);
    if (status != kOk) return status;
    job->rows = reinterpret_cast<JSAMPROW*>(job->rowBlock.get());
    for (uint32_t i = 0; i < plan.rowsPerBand; ++i)
        job->rows[i] = job->band.get() + static_cast<size_t>(i) * plan.rowBytes;
    return kOk;
}

void ReleaseBand(JpegJob* job) {
    job->rows = nullptr;
    job->rowBlock.reset();
    job->band.reset();
}

// A read that returns no lines means the stream ran out (the sources report no more data).
Status ReadBandRows(JpegJob* job, uint32_t count) {
    uint32_t done = 0;
    while (done < count) {
        JDIMENSION got = jpeg_read_scanlines(&job->cinfo, job->rows + done, count - done);
        if (got == 0) return kErrFormat;
        if (job->invertCmyk && job->cinfo.out_color_space == JCS_CMYK) {
            for (uint32_t i = done; i < done + got; ++i)
                InvertBytes(job->rows[i], static_cast<int64_t>(job->cinfo.output_width) * 4);
        }
        done += got;
    }
    return kOk;
}

Status DecodeBands(const BandPlan& plan, JpegJob* job) {
    jpeg_decompress_struct* cinfo = &job->cinfo;
    const uint32_t width = cinfo->output_width;
    const uint32_t height = cinfo->output_height;
    RowBand band;
    band.format = plan.format;
    band.bitsPerPixel = plan.depth;
    band.width = width;
    band.height = height;
    band.rowBytes = plan.rowBytes;
    band.pixels = job->band.get();
    band.capacity = plan.rowBytes * plan.rowsPerBand;
    while (cinfo->output_scanline < height) {
        uint32_t left = height - cinfo->output_scanline;
        band.top = cinfo->output_scanline;
        band.rows = plan.rowsPerBand < left ? plan.rowsPerBand : left;
        Status status = ReadBandRows(job, band.rows);
        if (status == kOk) status = job->sink->TakeRows(band);
        if (status != kOk) return status;
    }
    return kOk;
}

bool PlausibleSize(const jpeg_decompress_struct& cinfo, uint64_t streamBytes) {
    const uint64_t pixels = uint64_t{cinfo.image_width} * cinfo.image_height;
    return pixels <= kJpegPixelsAlways || pixels / kJpegPixelsPerByte <= streamBytes;
}

// Speed over quality: the result is a thumbnail.
void ChooseThumbnailSettings(jpeg_decompress_struct* cinfo) {
    cinfo->dct_method = JDCT_IFAST;
    cinfo->do_fancy_upsampling = FALSE;
    cinfo->do_block_smoothing = FALSE;
}

Status DecodeCreatedStream(JpegJob* job) {
    jpeg_decompress_struct* cinfo = &job->cinfo;
    cinfo->mem->max_memory_to_use = kLibraryMemoryLimit;
    cinfo->src = job->source;
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return kErrFormat;
    if (!PlausibleSize(*cinfo, job->streamBytes)) return kErrFormat;
    ChooseThumbnailSettings(cinfo);
    if (!jpeg_start_decompress(cinfo)) return kErrFormat;
    BandPlan plan;
    Status status = PlanBands(*cinfo, &plan);
    if (status == kOk) status = AllocateBand(plan, job);
    if (status == kOk) status = DecodeBands(plan, job);
    return status;
}

// Only plain data lives in this frame across setjmp; nothing is touched after the jump but the
// job record, whose blocks are freed there.
Status RunJpegJob(JpegJob* job) {
    ReleaseBand(job);
    InstallRecoveringErrors(&job->errors, &job->cinfo);
    if (setjmp(job->errors.recovery) != 0) {
        // The error exit has destroyed the decompression object already.
        ReleaseBand(job);
        return kErrFormat;
    }
    jpeg_CreateDecompress(&job->cinfo, JPEG_LIB_VERSION, sizeof job->cinfo);
    Status status = DecodeCreatedStream(job);
    ReleaseBand(job);
    jpeg_destroy_decompress(&job->cinfo);
    return status;
}

Status DecodeFromMemory(const uint8_t* data, size_t length, bool tolerantRestarts, RowSink* sink) {
    jpeg_source_mgr source{};
    InitMemorySource(data, length, &source);
    if (tolerantRestarts) source.resync_to_restart = SkipMisplacedMarker;
    JpegJob job{};
    job.source = &source;
    job.invertCmyk = true;
    job.sink = sink;
    job.streamBytes = length;
    return RunJpegJob(&job);
}

}  // namespace

Status DecodeJpeg(const uint8_t* data, size_t length, RowSink* sink) {
    if (data == nullptr || length == 0 || sink == nullptr) return kErrFormat;
    if (DecodeFromMemory(data, length, true, sink) == kOk) return kOk;
    // The bands drawn so far are drawn again, over the same place.
    return DecodeFromMemory(data, length, false, sink);
}

Status DecodeJpegAscii85(EpsReader* eps, RowSink* sink) {
    if (sink == nullptr) return kErrFormat;
    Ascii85Source source{};
    InitAscii85Source(eps, &source);
    JpegJob job{};
    job.source = &source.manager;
    job.invertCmyk = false;
    job.sink = sink;
    // Five digits of text make four bytes; what the file still holds is an upper bound.
    job.streamBytes = EpsFileSize(eps) - EpsTell(eps);
    return RunJpegJob(&job);
}

}  // namespace aldra
