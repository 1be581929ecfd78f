#pragma once
// The host's mesh tools: booleans, union, healing and disjoint splitting.
#include "rhino_split_disjoint_mesh.h"
#include "tl_heal_mesh.h"
#include "tl_mesh_boolean.h"
#include "tl_mesh_union.h"
