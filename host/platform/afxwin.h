#pragma once
// The MFC stand-ins in one include (and the Win32 ones below them).

#include "dialog_template.h"
#include "mfc_app.h"
#include "mfc_controls.h"
#include "mfc_dialog.h"
#include "mfc_object.h"
#include "mfc_string.h"
#include "mfc_window.h"
#include "windows.h"
