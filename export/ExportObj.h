#pragma once

// A level's geometry as Wavefront OBJ with its MTL material library.
//
// OBJ has no nodes, so the turn to y-up (−90° about x) and the scale are
// applied to the numbers: a level point (x, y, z) is written as
// (x, z, −y) · scale, and its normal turned alike. Each vertex carries its
// colour after its position ("v x y z r g b"), as most tools read it; the
// alpha has no place in OBJ. One group and material per primitive. With
// texture coordinates, each vertex has a "vt s t" with t turned upward,
// since OBJ counts it from the image's bottom.

#include <string>
#include <vector>

#include "ExportGeometry.h"

// The primitives' names as OBJ and MTL can hold them: no spaces or control
// characters, each one different.
std::vector<std::string> objMaterialNames(const ExportGeometry& geometry);

// Writes the OBJ file, naming mtlName (a file beside it) as its library.
// False when it could not be written whole.
bool writeObj(const ExportGeometry& geometry, double scale, const std::string& header, const std::string& path,
              const std::string& mtlName);

// Writes the MTL file: each material's shaded colour as its diffuse colour,
// or its image (one of imageNames, files beside the MTL) in white.
bool writeMtl(const ExportGeometry& geometry, const std::string& header, const std::string& path,
              const std::vector<std::string>& imageNames = {});
