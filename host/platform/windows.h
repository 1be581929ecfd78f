#pragma once
// The Win32 stand-ins in one include, for code written against Windows.

#include "win_controls.h"
#include "win_files.h"
#include "win_messages.h"
#include "win_modules.h"
#include "win_process.h"
#include "win_registry.h"
#include "win_threads.h"
#include "win_types.h"
#include "win_windows.h"
