#include "opennurbs_color.h"

const ON_Color ON_Color::Black(0, 0, 0);
const ON_Color ON_Color::White(255, 255, 255);
const ON_Color ON_Color::UnsetColor(0xFFFFFFFFu);
