#pragma once
// Umbrella header of the host SDK: everything code outside the host uses.

#include "opennurbs.h"

#include "engine/display_engine.h"
#include "rhino_app.h"
#include "rhino_brep_object.h"
#include "rhino_channel_attributes.h"
#include "rhino_clipping_plane_object.h"
#include "rhino_curve_object.h"
#include "rhino_display_attributes.h"
#include "rhino_display_conduit.h"
#include "rhino_display_pipeline.h"
#include "rhino_doc.h"
#include "rhino_doc_properties.h"
#include "rhino_event_watcher.h"
#include "rhino_instance.h"
#include "rhino_layer_table.h"
#include "rhino_material_table.h"
#include "rhino_mesh_object.h"
#include "rhino_object.h"
#include "rhino_object_iterator.h"
#include "rhino_objref.h"
#include "rhino_pick.h"
#include "rhino_recording_engine.h"
#include "rhino_view.h"
#include "rhino_viewport.h"

#if __has_include("engine/opengl_engine.h")
#include "engine/opengl_engine.h"
#endif
#if __has_include("ui/ui_sdk.h")
#include "ui/ui_sdk.h"
#endif
