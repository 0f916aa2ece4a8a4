// external_host FILE...: loads the installed filter module as a catalogue daemon does (no window, no
// registry lookup), attaches each file and prints what the filter answered: the refusal, or the
// thumbnail's size and how many colours it has.
#include <dlfcn.h>

#include <cstdio>
#include <set>
#include <vector>

#include "aldra/DispIds.h"
#include "aldra/Guids.h"
#include "aldra/Picture.h"
#include "platform/com/Com.h"

using namespace aldra;

// One method call by its DISPID, the arguments in declared order; the call clears them.
HRESULT Call(IDispatch* filter, DISPID id, std::vector<VARIANT> args, VARIANT* result, EXCEPINFO* excep) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<uint32_t>(reversed.size()), 0};
    uint32_t argErr = 0;
    HRESULT hr = filter->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result, excep, &argErr);
    for (VARIANT& v : args) VariantClear(&v);
    return hr;
}

void PrintThumbnail(IDispatch* filter) {
    VARIANT answer;
    VariantInit(&answer);
    EXCEPINFO excep{};
    Call(filter, kDispGetThumbnail, {MakeI4(64), MakeI4(64), MakeBool(true)}, &answer, &excep);
    IPicture* picture = nullptr;
    RgbImage image;
    if (answer.vt == VT_DISPATCH && answer.pdispVal != nullptr &&
        SUCCEEDED(answer.pdispVal->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture))))
        picture->ReadRgbRows(&image);
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        colours.insert(image.rgb[i] << 16 | image.rgb[i + 1] << 8 | image.rgb[i + 2]);
    std::printf("thumbnail %ux%u, %s\n", image.width, image.height,
                colours.size() > 1 ? "in colour" : "one colour");
    if (picture != nullptr) picture->Release();
    VariantClear(&answer);
}

int main(int argc, char** argv) {
    void* module = dlopen(ALDRA_EPS_FILTER_MODULE, RTLD_NOW | RTLD_LOCAL);
    using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        module ? reinterpret_cast<GetClassObject>(dlsym(module, "DllGetClassObject")) : nullptr;
    IClassFactory* factory = nullptr;
    IDispatch* filter = nullptr;
    if (getClassObject == nullptr ||
        FAILED(getClassObject(CLSID_AldraFilter, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&filter)))) {
        std::printf("cannot create the filter\n");
        return 1;
    }
    factory->Release();
    for (int i = 1; i < argc; ++i) {
        VARIANT attached;
        VariantInit(&attached);
        EXCEPINFO excep{};
        HRESULT hr = Call(filter, kDispAttachFile, {MakeBstr(Utf8ToBstr(argv[i]))}, &attached, &excep);
        std::printf("%s: ", argv[i]);
        if (hr != DISP_E_EXCEPTION) PrintThumbnail(filter);
        if (hr == DISP_E_EXCEPTION)
            std::printf("refused %u: %s\n", excep.wCode, BstrToUtf8(excep.bstrDescription).c_str());
        ClearExcepInfo(&excep);
        VariantClear(&attached);
    }
    filter->Release();
    return 0;
}
