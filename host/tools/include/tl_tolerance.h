#pragma once
// The tolerance every mesh boolean, union and heal of the host is given
// unless told otherwise, and the one the display service passes for both
// tolerances of its booleans: ten times the square root of the double
// epsilon.
inline constexpr double TL_BOOLEAN_TOLERANCE = 1.490116119385e-07;
