#include "pdf/IllustratorPdf.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFLogger.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

#include "eps/XmpFacts.h"
#include "pdf/PdfLimits.h"
#include "pdf/ReaderInputSource.h"

namespace aldra {

namespace {

constexpr char kPdfHeader[] = "%PDF-";
constexpr size_t kPdfHeaderLength = sizeof kPdfHeader - 1;
// qpdf reads through this window; its tokenizer reads small pieces near each other.
constexpr uint32_t kPdfWindow = 65536;

// A metadata stream that decodes past the bound stops the decoding with this exception.
struct PacketTooLong : std::runtime_error {
    PacketTooLong() : std::runtime_error("metadata stream too long") {}
};

class BoundedText : public Pipeline {
  public:
    explicit BoundedText(std::string* text) : Pipeline("bounded text", nullptr), text_(text) {}
    void write(unsigned char const* data, size_t length) override {
        if (length > kMostXmpPacketBytes - text_->size()) throw PacketTooLong();
        text_->append(reinterpret_cast<const char*>(data), length);
    }
    void finish() override {}

  private:
    std::string* text_;
};

// The reader stays open while qpdf works; qpdf's objects refer to the source until they are gone.
struct OpenReader {
    FileReader reader;
    ~OpenReader() { ReaderClose(&reader); }
};

bool IsFinite(double v) {
    return std::isfinite(v);
}

// A rectangle of four numbers with an area; its width and height in points.
bool BoxSize(QPDFObjectHandle box, double* width, double* height) {
    if (!box.isArray() || box.getArrayNItems() != 4) return false;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        QPDFObjectHandle item = box.getArrayItem(i);
        if (!item.isNumber()) return false;
        v[i] = item.getNumericValue();
        if (!IsFinite(v[i])) return false;
    }
    *width = std::fabs(v[2] - v[0]);
    *height = std::fabs(v[3] - v[1]);
    return *width > 0 && *height > 0 && IsFinite(*width) && IsFinite(*height);
}

bool IsPageNode(QPDFObjectHandle node) {
    return node.isDictionary() && !node.getKey("/Kids").isArray();
}

// The first leaf of the page tree, depth first, and the MediaBox it inherits. Null when the tree
// has no page within the bounds.
QPDFObjectHandle FirstPage(QPDFObjectHandle root, QPDFObjectHandle* inheritedMediaBox) {
    struct Step {
        QPDFObjectHandle node;
        int next;
        QPDFObjectHandle mediaBox;
    };
    std::vector<Step> path;
    QPDFObjectHandle pages = root.getKey("/Pages");
    if (!pages.isDictionary()) return QPDFObjectHandle::newNull();
    if (IsPageNode(pages)) return pages;
    path.push_back({pages, 0, pages.getKey("/MediaBox")});
    uint32_t visited = 1;
    while (!path.empty()) {
        Step& top = path.back();
        QPDFObjectHandle kids = top.node.getKey("/Kids");
        if (top.next >= kids.getArrayNItems()) {
            path.pop_back();
            continue;
        }
        QPDFObjectHandle kid = kids.getArrayItem(top.next++);
        if (!kid.isDictionary()) continue;
        if (++visited > kMostPageTreeNodes) break;
        QPDFObjectHandle own = kid.getKey("/MediaBox");
        QPDFObjectHandle mediaBox = own.isArray() ? own : top.mediaBox;
        if (IsPageNode(kid)) {
            *inheritedMediaBox = mediaBox;
            return kid;
        }
        if (path.size() >= kMostPageTreeDepth) continue;
        path.push_back({kid, 0, mediaBox});
    }
    return QPDFObjectHandle::newNull();
}

void TakePageSize(QPDFObjectHandle page, QPDFObjectHandle inheritedMediaBox, IllustratorPdf* pdf) {
    double width = 0, height = 0;
    const bool found = BoxSize(page.getKey("/ArtBox"), &width, &height) ||
                       BoxSize(page.getKey("/TrimBox"), &width, &height) ||
                       BoxSize(inheritedMediaBox, &width, &height);
    if (!found) return;
    QPDFObjectHandle unit = page.getKey("/UserUnit");
    if (unit.isNumber()) {
        const double scale = unit.getNumericValue();
        if (IsFinite(scale) && scale > 0 && scale <= 75000) {
            width *= scale;
            height *= scale;
        }
    }
    QPDFObjectHandle rotate = page.getKey("/Rotate");
    if (rotate.isInteger() && (rotate.getIntValue() % 180 + 180) % 180 == 90) std::swap(width, height);
    if (!IsFinite(width) || !IsFinite(height)) return;
    pdf->hasPageSize = true;
    pdf->widthPoints = width;
    pdf->heightPoints = height;
}

void TakeMetadata(QPDFObjectHandle root, IllustratorPdf* pdf) {
    QPDFObjectHandle metadata = root.getKey("/Metadata");
    if (!metadata.isStream()) return;
    std::string text;
    BoundedText sink(&text);
    bool filtered = false;
    const bool ok = metadata.pipeStreamData(&sink, &filtered, 0, qpdf_dl_generalized, true);
    // A filter qpdf does not decode gives the encoded bytes, which are no packet.
    if (ok && (filtered || metadata.getDict().getKey("/Filter").isNull())) pdf->xmp = std::move(text);
}

std::shared_ptr<QPDFLogger> SilentLogger() {
    std::shared_ptr<QPDFLogger> logger = QPDFLogger::create();
    logger->setInfo(logger->discard());
    logger->setWarn(logger->discard());
    logger->setError(logger->discard());
    return logger;
}

// Everything qpdf does happens here, inside one catch-all: qpdf reports damage, passwords and
// failed reads by exceptions.
Status ReadWithQpdf(FileReader* reader, const char* path, IllustratorPdf* pdf) {
    try {
        QPDF qpdf;
        qpdf.setLogger(SilentLogger());
        qpdf.setSuppressWarnings(true);
        qpdf.setAttemptRecovery(reader->fileSize <= kMostRecoveredPdfBytes);
        qpdf.processInputSource(std::make_shared<ReaderInputSource>(reader, path));
        if (qpdf.getXRefTable().size() > kMostPdfObjects) return kErrFormat;
        QPDFObjectHandle root = qpdf.getRoot();
        QPDFObjectHandle mediaBox = QPDFObjectHandle::newNull();
        QPDFObjectHandle page = FirstPage(root, &mediaBox);
        if (page.isDictionary()) {
            TakePageSize(page, mediaBox, pdf);
            pdf->hasPrivateData = page.getKey("/PieceInfo").getKey("/Illustrator").isDictionary();
        }
        TakeMetadata(root, pdf);
        return kOk;
    } catch (...) {
        return kErrFormat;
    }
}

}  // namespace

Status ReadIllustratorPdf(const char* path, IllustratorPdf* pdf) {
    *pdf = IllustratorPdf{};
    OpenReader open;
    FileReader* reader = &open.reader;
    Status status = ReaderOpen(path, reader, &reader->cursor, kPdfWindow);
    if (status != kOk) return status;
    if (reader->fileSize < kPdfHeaderLength || reader->fileSize > kMostPdfFileBytes) return kErrFormat;
    if (ReaderEnsure(&reader->cursor, kPdfHeaderLength, reader) != kOk ||
        !BeginsAsPdf(reader->cursor, kPdfHeaderLength))
        return kErrFormat;
    status = ReadWithQpdf(reader, path, pdf);
    if (status != kOk) *pdf = IllustratorPdf{};
    return status;
}

}  // namespace aldra
