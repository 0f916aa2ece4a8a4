// The Resource Manager of the module: open resource forks by reference number, the current
// resource file, resources read into handles, and the result of the last resource call. Reference
// number 0 stands for the module's own resources, of which it has none; it is current at first.
#pragma once
#include <cstdint>

#include "platform/quicktime/QuickTime.h"

namespace aldra::qt {

// A new reference number, made current; -1 when the file has no readable fork or its map is
// damaged (ResError says which).
int16_t OpenResFile(const FSSpec* spec, int16_t permission);
void CloseResFile(int16_t refNum);
int16_t CurResFile();
void UseResFile(int16_t refNum);
OSErr ResError();

// From the current resource file only. The same resource asked for twice gives the same handle
// while the file holds it.
Handle GetResource(OSType type, int16_t id);
Handle GetIndResource(OSType type, int16_t index);
void DetachResource(Handle handle);
void ReleaseResource(Handle handle);
OSErr DisposeHandle(Handle handle);
uint32_t GetHandleSize(Handle handle);

}  // namespace aldra::qt
