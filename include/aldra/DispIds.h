// The dispatch identifiers of _DAldraFilter. Hosts may look members up by name (GetIDsOfNames gives
// exactly these numbers) or call them by number directly; they never change.
#pragma once
#include <string_view>

#include "platform/com/Com.h"

namespace aldra {

// Dispatch identifiers of _DAldraFilter: properties 1-8, methods 1000-1024, the about box -552.
enum FilterDispId : DISPID {
    kDispPostScriptVersion = 1,
    kDispEPSFVersion = 2,
    kDispEPSFType = 3,
    kDispFonts = 4,
    kDispColors = 5,
    kDispLinks = 6,
    kDispOPISystem = 7,
    kDispOPIHiResFileName = 8,
    kDispInfoGetWidth = 1000,
    kDispInfoGetHeight = 1001,
    kDispInfoGetKind = 1002,
    kDispGetThumbnail = 1003,
    kDispInfoGetHResolution = 1004,
    kDispInfoGetVResolution = 1005,
    kDispInfoGetCategories = 1006,
    kDispInfoGetNotes = 1007,
    kDispInfoGetMacSignature = 1008,
    kDispInfoGetCreatingSoftware = 1009,
    kDispInfoGetImageName = 1010,
    kDispInfoGetUser = 1011,
    kDispInfoGetMacType = 1012,
    kDispAttachFile = 1013,
    kDispDetachFile = 1014,
    kDispConvertTo = 1015,
    kDispQuickTest = 1016,
    kDispShowProperties = 1017,
    kDispHasSetup = 1018,
    kDispSetup = 1019,
    kDispConvertToSize = 1020,
    kDispGetDefaultExtension = 1021,
    // The information interface: FactNames() gives the names of the attached file's further facts,
    // one a line; GetFact(name) one fact's value ("" for a name the file lacks). Both answer UTF-8
    // text, unlike the getters above, whose texts stay Windows-1252.
    kDispFactNames = 1022,
    kDispGetFact = 1023,
    // GetRecord(withFacts): what the members above that take no argument answer, and the facts when
    // asked, in one UTF-8 text read under one look at the file (the README describes its form).
    kDispGetRecord = 1024,
    kDispAboutBox = -552,
};

// Two facts the information interface adds once GetThumbnail has drawn a raster preview: that
// preview's own width and height in pixels, as decimal text. A host that wants no preview blown up
// asks for a box no larger than these.
inline constexpr const char* kFactPreviewPixelWidth = "PreviewPixelWidth";
inline constexpr const char* kFactPreviewPixelHeight = "PreviewPixelHeight";

// In GetRecord's text, a fact's name follows this prefix, so that no fact can pass for a member of
// the same name.
inline constexpr std::string_view kRecordFactPrefix = "Fact:";

}  // namespace aldra
