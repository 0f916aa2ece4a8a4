// The whole filter as a cataloguing host drives it, through the dispatch interface: quick test over
// the first 512 bytes, attach, every getter and property, thumbnails from both chains and a
// conversion into the scratch folder. A fresh control per input, so that no input's outcome depends
// on the one before, and its registry lives in the scratch folder.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

#include "control/FilterCtrl.h"
#include "fixtures/DispatchHost.h"
#include "fuzz/targets/Scratch.h"
#include "platform/ole/Picture.h"

namespace aldra::fuzz {

// Set for every input: a test process that runs the target among other tests may have changed it.
inline void UseScratchRegistry() {
    static const std::string folder = [] {
        std::string path = ScratchPath("registry");
        std::filesystem::create_directories(path);
        return path;
    }();
    setenv("ALDRA_REGISTRY_DIR", folder.c_str(), 1);
}

// Reads the picture's pixels back, as the host does when it writes a thumbnail file.
inline void TakePicture(testing::Answer& answer, int32_t boxWidth, int32_t boxHeight) {
    if (answer.value.vt != VT_DISPATCH || answer.value.pdispVal == nullptr) return;
    IPicture* picture = nullptr;
    if (answer.value.pdispVal->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)) != S_OK)
        return;
    RgbImage rgb;
    if (picture->ReadRgbRows(&rgb) == CodeOf(kOk)) {
        // A thumbnail fits the box it was asked for.
        ALDRA_FUZZ_CHECK(rgb.width <= static_cast<uint32_t>(boxWidth) &&
                         rgb.height <= static_cast<uint32_t>(boxHeight));
        ALDRA_FUZZ_CHECK(rgb.rgb.size() == size_t{rgb.width} * rgb.height * 3);
    }
    picture->Release();
}

inline int FuzzFilter(const uint8_t* data, size_t size) {
    using namespace testing;
    UseScratchRegistry();
    const std::string path = WriteScratch("filter/input.eps", data, size);
    const std::string bmp = ScratchPath("filter/out.bmp");

    CFilterCtrl* control = new CFilterCtrl();
    if (control->CreateWindow() != 0) Fail("no control window", __FILE__, __LINE__);
    Invoke(control, "QuickTest",
           {Str(path), ByteArray(std::string(reinterpret_cast<const char*>(data), size < 512 ? size : 512))});
    Invoke(control, "GetDefaultExtension");
    if (Invoke(control, "AttachFile", {Str(path)}).hr == S_OK) {
        for (const char* getter :
             {"InfoGetWidth", "InfoGetHeight", "InfoGetHResolution", "InfoGetVResolution", "InfoGetKind",
              "InfoGetCreatingSoftware", "InfoGetImageName", "InfoGetUser", "InfoGetCategories",
              "InfoGetNotes", "InfoGetMacSignature", "InfoGetMacType"})
            Invoke(control, getter);
        for (const char* property : {"PostScriptVersion", "EPSFVersion", "EPSFType", "Fonts", "Colors",
                                     "Links", "OPISystem", "OPIHiResFileName"})
            Invoke(control, property, {}, DISPATCH_PROPERTYGET);
        for (bool stored : {true, false}) {
            Answer thumbnail = Invoke(control, "GetThumbnail", {MakeI4(96), MakeI4(64), MakeBool(stored)});
            TakePicture(thumbnail, 96, 64);
        }
        Invoke(control, "ConvertToSize", {Str(bmp), Str("BMP"), MakeI4(80), MakeI4(60)});
        std::filesystem::remove(bmp);
        Invoke(control, "DetachFile");
    }
    control->DestroyWindow();
    control->Release();
    return 0;
}

}  // namespace aldra::fuzz
