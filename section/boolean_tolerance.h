#pragma once
// Both tolerances every mesh boolean of the display service is given: ten
// times the square root of the double epsilon.
constexpr double kSectionBooleanTolerance = 1.490116119385e-07;
