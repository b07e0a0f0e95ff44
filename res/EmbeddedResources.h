// The data blocks built into the program, found through FindResource
// (platform/resources/Resources.h). The table names every one explicitly.
#pragma once

#include <vector>

#include "platform/resources/EmbeddedResource.h"

const std::vector<EmbeddedResource>& EmbeddedResourceTable();

// "HYE_PROG" 146: the board-side FLASH programmer of the serial-link boards (res/HyeProgram.cpp).
const EmbeddedResource& HyeProgramResource();
