// The whole COM vocabulary in one include, for code that implements or drives a dispatch object.
#pragma once

#include "platform/com/Ansi.h"
#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/Interfaces.h"
#include "platform/com/ModuleLock.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"
