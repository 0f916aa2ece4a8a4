// The probes that look at a file's relatives: DCS plates, Color Central samples and Helios layouts.
// The input is the main file "scan.eps" of a small folder whose other files stay fixed: four plates
// with %ImageData comments, a high-resolution file, and a Helios layout both beside the main file and
// in a "layouts" folder. The input is also taken as a plate and as a sample in its own right.
#pragma once
#include <string>

#include "eps/Companions.h"
#include "eps/DcsPlates.h"
#include "eps/DscScan.h"
#include "eps/LeadingComments.h"
#include "fuzz/targets/Scratch.h"

namespace aldra::fuzz {

inline const std::string& CompanionFolder() {
    static const std::string folder = [] {
        const std::string plate =
            "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 50\n%ImageData: 200 100 8 1 0 1 1 "
            "\"beginimage\"\n"
            "%%EndComments\n";
        for (const char* name : {"scan.C", "scan.M", "scan.Y", "scan.K"})
            WriteScratch(std::string("dcs/") + name, plate);
        WriteScratch("dcs/hires.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n");
        WriteScratch("dcs/scan.eps.lay", "%!PS-Adobe-3.0 EPSF-3.0\n");
        WriteScratch("dcs/layouts/scan.eps", "%!PS-Adobe-3.0 EPSF-3.0\n");
        return ScratchPath("dcs");
    }();
    return folder;
}

inline int FuzzCompanions(const uint8_t* data, size_t size) {
    const std::string folder = CompanionFolder();
    const std::string main = WriteScratch("dcs/scan.eps", data, size);

    EpsReader eps;
    if (OpenEps(main.c_str(), &eps) == kOk) {
        EpsInfo info;
        if (ParseEpsHeader(&eps, main.c_str(), &info) == kOk) {
        }
        CloseEps(&eps);
    }

    // The fixed plate is a plate exactly when the input's comments name it.
    IsDcsPlate((folder + "/scan.C").c_str());
    std::string plate;
    ALDRA_FUZZ_CHECK(FindDcsPlate(main.c_str(), &plate) && plate == folder + "/scan.C");
    EpsInfo asPlate;
    (void)ScanPlateForImageData(main.c_str(), &asPlate);  // any answer will do; crashes will not

    if (OpenEps(main.c_str(), &eps) == kOk) {
        LeadingComments leading;
        WalkLeadingComments(&eps, kWantAllLeading, &leading);
        if (leading.namesCompanion) CompanionPathFromLine(leading.companionLine, main.c_str());
        DisposeLeadingComments(&leading);
        CloseEps(&eps);
    }

    PString extension;
    PStrFromC(".lay", extension, sizeof extension);
    for (const std::string& path : {main, folder + "/scan.eps.lay"}) {
        IsHeliosLayout(path.c_str(), extension);
        HasHeliosLayout(path.c_str(), extension);
    }
    return 0;
}

}  // namespace aldra::fuzz
