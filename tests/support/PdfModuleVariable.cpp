// Programs that link the control directly have no PDF reader module beside them; this one names the
// module of the build folder before any test runs.
#include <cstdlib>

namespace {

const int kNamed = setenv("ALDRA_PDF_MODULE", ALDRA_PDF_MODULE_PATH, 0);

}  // namespace
