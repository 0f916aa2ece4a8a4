// The PDF reader is loaded on the first PDF file a process meets: a host that only sees EPS files and
// Illustrator artwork never maps qpdf and the libraries behind it.
#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

#include "control/Module.h"
#include "control/PdfFile.h"
#include "pdf/PdfModule.h"

namespace aldra {

namespace {}  // namespace

// RTLD_NOW: a module that cannot bind all its symbols is refused here, not in the middle of a read.
ReadPdfEntry LoadPdfReader(const std::string& path) {
    if (path.empty()) return nullptr;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return nullptr;
    auto entry = reinterpret_cast<ReadPdfEntry>(dlsym(module, kPdfModuleEntry));
    if (entry == nullptr) dlclose(module);
    return entry;
}

// Tried once: a missing module stays missing for the process. The module stays loaded, as qpdf's
// libraries keep state of their own.
Status ReadPdfThroughModule(const char* path, IllustratorPdf* pdf) {
    static std::once_flag tried;
    static ReadPdfEntry entry = nullptr;
    std::call_once(tried,
                   [] { entry = LoadPdfReader(CompanionModulePath(kPdfModuleVariable, kPdfModuleFile)); });
    if (entry == nullptr) {
        *pdf = IllustratorPdf{};
        return kErrNoResource;
    }
    return entry(path, pdf);
}

}  // namespace aldra
