// The QuickTime and Toolbox routines the filter uses, each a small entry that hands its selector
// and arguments to the dispatcher (QuickTimeBinding.h). While QuickTime is not bound, those that
// answer a result code answer -2095 and the others a null or zero result.
#pragma once
#include <cstdint>

#include "platform/gdi/GdiTypes.h"
#include "platform/quicktime/QuickTime.h"

namespace aldra {

qt::OSErr InitializeQTML(int32_t flags);
void TerminateQTML();
qt::OSErr NativePathNameToFSSpec(const char* path, qt::FSSpec* spec, int32_t flags);
qt::OSErr NewGWorld(qt::GWorldPtr* world, qt::OSType format, const qt::Rect* bounds);
void GetGWorld(qt::CGrafPtr* port, qt::GDHandle* device);
void SetGWorld(qt::CGrafPtr port, qt::GDHandle device);
void MacSetRect(qt::Rect* r, int16_t left, int16_t top, int16_t right, int16_t bottom);
void MacEraseRect(const qt::Rect* r);
void DrawPicture(qt::Handle picture, const qt::Rect* r);
HBITMAP GetGWorldBitmap(qt::GWorldPtr world);
void DisposeGWorld(qt::GWorldPtr world);
void DisposeHandle(qt::Handle handle);
uint32_t GetHandleSize(qt::Handle handle);
int16_t FSpOpenResFile(const qt::FSSpec* spec, int16_t permission);
qt::OSErr ResError();
int16_t CurResFile();
void UseResFile(int16_t refNum);
void CloseResFile(int16_t refNum);
qt::Handle GetResource(qt::OSType type, int16_t id);
qt::Handle GetIndResource(qt::OSType type, int16_t index);
void DetachResource(qt::Handle handle);
void ReleaseResource(qt::Handle handle);

}  // namespace aldra
