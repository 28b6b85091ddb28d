#pragma once
// The picture files: when plotting ends, the scene goes to the file named by setfil as a
// Windows metafile (written here), or as SVG or PNG (by the registered picture writer).
// An existing file is replaced only after filmod("DELETE"); otherwise the picture goes to
// the first free name with a number before the extension ("graph.wmf" is taken, so
// "graph_1.wmf"), and the file that exists is left as it was.

#include <string>

#include "plot/library.h"

namespace vx::plot {

// Writes the open plot's picture; false (with a warning) when it could not.
bool writePictureFile(const Library& l);
// The name the last picture was written to (empty if none was).
const std::string& lastPictureFile();

}  // namespace vx::plot
