// The filter's own string table. A localisation module carries a table of the same ids in another
// language. Texts are Windows-1252.
#include "platform/resources/Resources.h"

namespace aldra {

namespace {

// The IPTC data sets offered for the notes, and whether each is taken by default: only the caption.
constexpr const char kDefaultAnpaSettings[] =
    "1,30,0,0,Service Identifier\n"
    "1,70,1,0,Date Sent\n"
    "1,80,4,0,Time Sent\n"
    "2,5,0,0,Object Name\n"
    "2,10,0,0,Urgency\n"
    "2,15,0,0,Category\n"
    "2,20,0,0,Supplemental Categories\n"
    "2,40,0,0,Special Instructions\n"
    "2,55,2,0,Date Created\n"
    "2,60,4,0,Time Created\n"
    "2,80,0,0,Byline\n"
    "2,85,0,0,Byline Title\n"
    "2,90,0,0,City\n"
    "2,95,0,0,Province-State\n"
    "2,101,0,0,Country Name\n"
    "2,103,0,0,Original Transmission Reference\n"
    "2,105,0,0,Headline\n"
    "2,110,0,0,Credit\n"
    "2,115,0,0,Source\n"
    "2,120,0,1,Caption\n"
    "2,122,0,0,Caption Writer";

constexpr ResourceString kStrings[] = {
    {1, "Aldra EPS Filter"},
    {2, "General"},
    {3, "OPI"},
    {4, "Placed Files"},
    {101, "Color Central Sample File"},
    {102, "EPS Filter Setup"},
    {200, "None"},
    {201, "Unknown"},
    {202, "Helios EtherShare OPI"},
    {203, "Luminous Color Central"},
    {204, "4-Sight OPi"},
    {205, "LinoPrint"},
    {206, "IPT GetThePicture"},
    {207, "NineBits PrintDesk"},
    {250, "Data Set"},
    {251, "Label"},
    {252, kDefaultAnpaSettings},
    {253, ": "},
    {300, "EPS"},
    {301, "DCS"},
    {302, "ICS"},
    {500, "This is a DCS color separation file. Only the DCS main file can be cataloged."},
    {501, "Helios OPI layout files are disabled."},
    {502, "Helios OPI high resolution files are disabled."},
    {1000, "Encapsulated PostScript Image"},
    {1001, "Illustrator Drawing"},
};

constexpr ResourceModule kOwnModule = {
    "aldra-eps", kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0,
};

}  // namespace

const ResourceModule* OwnResourceModule() {
    return &kOwnModule;
}

}  // namespace aldra
