// The PDF reader module's one entry. Both sides are built from the same tree with the same compiler,
// so the record crosses the boundary as it is.
#include "pdf/PdfModule.h"

extern "C" __attribute__((visibility("default"))) aldra::Status AldraReadIllustratorPdf(
    const char* path, aldra::IllustratorPdf* pdf) {
    return aldra::ReadIllustratorPdf(path, pdf);
}
