#pragma once
// Marks the functions and classes that meshtools exports.
#define TL_EXPORT __attribute__((visibility("default")))
