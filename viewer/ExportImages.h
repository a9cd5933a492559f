#pragma once

// The images an export carries, found as the textured look finds them.

#include <ostream>

#include "AssetLayers.h"
#include "BSP.h"
#include "Export.h"

// Gives the export texture coordinates and, for each material whose image
// is found and decodes, that image: a PNG or JPEG file as it is, any other
// format as PNG. Materials that find the same file share one image. An
// image found but refused gets the textured look's WARNING line on warnings
// and leaves its material without one.
void addExportImages(ExportRequest& request, const Qor::BSP& level, const Qor::AssetLayers& layers,
                     std::ostream& warnings);
