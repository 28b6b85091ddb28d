#pragma once
// The data record files this run of the desktop program made (downloads, quick mode's
// conversions). Such a file is the only copy of its data until the post-processing saves
// the table: at the end of the run it is deleted only when a table loaded from it was
// saved (format A or B), and otherwise it stays and the user is told where.

#include <string>
#include <vector>

namespace vx::postproc {

void noteMadeFile(const std::string& path);
// The post-processing loaded its table from `path`, and later saved it.
void noteTableLoadedFrom(const std::string& path);
void noteTableSaved();

// Deletes the made files whose table was saved and forgets them all; returns the files
// that stay (full names).
std::vector<std::string> settleMadeFiles();

// "The data record file 240517_083000 stays in /home/user (its table was not saved)."
std::string keptFileText(const std::string& path);

}  // namespace vx::postproc
