#pragma once

// A level as a glTF 2.0 document, built and written by tinygltf.
//
// The scene has one root node named after the level. It turns the level's
// z-up axes into glTF's y-up ones (−90° about x) and carries the export's
// scale; beneath it lie the geometry's node (one mesh, one primitive per
// material) and a node for each entity with an origin. Vertex data stay in
// the level's units and axes.

#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "BSP.h"
#include "Export.h"
#include "ExportGeometry.h"

// Everything but the geometry: the asset and its extras, the root node, the
// entities' nodes and the scene's extras. Text that is not valid UTF-8 is
// replaced.
tinygltf::Model gltfDocument(const Qor::BSP& level, double scale, const std::string& generator);

// Adds the geometry's materials, mesh and buffer, and its node under the
// root. The geometry's memory is given up as the buffer is filled. Each
// primitive's image is one of images: without file names embedded in the
// buffer, else referred to by its file name beside the document. The images
// are added only with geometry.
void addGltfGeometry(tinygltf::Model& model, ExportGeometry geometry, const std::vector<ExportImage>& images = {},
                     const std::vector<std::string>& fileNames = {});

// Writes the document as one binary glTF file; false when the file could not
// be written whole, or would pass the 4 GiB its 32-bit lengths can tell.
bool writeGlb(const tinygltf::Model& model, const std::string& path);

// Writes the document as JSON to gltfPath and its buffer (when it has one) to
// the file its URI names in the same directory; the URI must be a plain file
// name. False when either could not be written whole.
bool writeGltf(const tinygltf::Model& model, const std::string& gltfPath);

// A file name as a relative URI: every byte but unreserved ones
// percent-encoded.
std::string uriOfFileName(const std::string& name);
