// The identifiers of the filter's classes, interfaces and type library. They are fixed once and never
// change: hosts find the control by its class identifier and its marker key, and query the format
// interface by its interface identifier.
#pragma once
#include "platform/com/Com.h"

namespace aldra {

// FILTERLib 1.0
inline constexpr GUID LIBID_FILTERLib = {
    0x79FD532C, 0x496B, 0x44A6, {0xA3, 0x90, 0xE7, 0x10, 0x72, 0x1F, 0x3B, 0x34}};
// coclass AldraFilter, the control CFilterCtrl
inline constexpr GUID CLSID_AldraFilter = {
    0xDE9FDE90, 0xDC78, 0x406B, {0xA0, 0x25, 0x89, 0x4E, 0x3E, 0x59, 0xBB, 0x85}};
inline constexpr GUID DIID__DAldraFilter = {
    0x9591E362, 0xBB24, 0x4029, {0xB0, 0xC3, 0x5C, 0xCC, 0xD6, 0x42, 0xE8, 0x58}};
inline constexpr GUID DIID__DAldraFilterEvents = {
    0xFF644794, 0x2C4C, 0x44E5, {0x84, 0x29, 0x47, 0x3A, 0x2E, 0x16, 0xEE, 0xDD}};
inline constexpr GUID IID_IAldraFilterInfo = {
    0xB4AB386C, 0x28F4, 0x4DB6, {0x88, 0x25, 0xA1, 0x6D, 0x5D, 0x37, 0x08, 0x0E}};
inline constexpr GUID IID_IAldraControlWindow = {
    0x5C1D7A3E, 0x9B42, 0x4F0D, {0x8E, 0x61, 0x2A, 0xC4, 0x7B, 0x19, 0xD3, 0x55}};
// Declared by the type library for vtable hosts; the control does not implement it.
inline constexpr GUID IID_IAldraFilter = {
    0x2E4500B8, 0x1769, 0x4521, {0xA5, 0x0E, 0xC6, 0xBA, 0x30, 0xA1, 0x83, 0x53}};
// The property pages.
inline constexpr GUID CLSID_FilterMediaProperty = {
    0x669C8FB7, 0x0EA7, 0x4790, {0xB8, 0xE6, 0x42, 0xFD, 0x88, 0x78, 0xC7, 0xF8}};
inline constexpr GUID CLSID_FilterMediaOPIProperty = {
    0x684FE096, 0x80D9, 0x4E07, {0xA3, 0xA1, 0xF1, 0x8B, 0x2E, 0xDF, 0x56, 0xB1}};
inline constexpr GUID CLSID_FilterMediaLinksProperties = {
    0xB629D174, 0xC1A3, 0x447A, {0x9A, 0xFF, 0x7C, 0xBD, 0xA6, 0x00, 0x34, 0x9A}};

inline constexpr const char* kControlProgId = "Aldra.AldraFilter.EPS.1";
inline constexpr const char* kGeneralPageProgId = "Aldra.AldraFilterProperty.EPS.1";
inline constexpr const char* kOpiPageProgId = "Filter.CFilterMediaOPIProperty";
inline constexpr const char* kLinksPageProgId = "Filter.CFilterMediaLinksProperties";

inline constexpr uint32_t kFilterVersion = 0x00010000;  // 1.0
inline constexpr uint32_t kOleMiscStatus = 0x00020191;

}  // namespace aldra
