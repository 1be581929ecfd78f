#pragma once
// The command and user-interface side of the host SDK: commands, getters,
// plug-ins and their loader, dock bars, the toolbar manager and the
// file-write options, with the Windows and MFC stand-ins they build on.

#include "afxwin.h"
#include "ui/rhino_background_work.h"
#include "ui/rhino_command.h"
#include "ui/rhino_command_input.h"
#include "ui/rhino_dockbar.h"
#include "ui/rhino_file_write_options.h"
#include "ui/rhino_get.h"
#include "ui/rhino_plugin.h"
#include "ui/rhino_plugin_manager.h"
#include "ui/rhino_toolbar.h"
