#pragma once
// The companion programs that post-process a saved table ("Tallo", "Lumeview"): which of
// them lie in the program's working directory, and starting one on the saved table.

#include <cstdint>
#include <functional>
#include <string>

constexpr int32_t PLUGIN_COUNT = 2;
constexpr int32_t PLUG_IDX_SIZE = 10;

extern const char* const Lista_plugin[PLUGIN_COUNT];
extern int8_t plug_idx[PLUG_IDX_SIZE];

// The extension of a program file here: "exe" on Windows; "" elsewhere, where a program
// is an executable file without extension.
const char* pluginExtension();

// Counts the companion programs in szDir with the extension szExt (letter case aside) and
// writes their indices into plug_index, in the order of Lista_plugin. With an empty
// extension only executable files without extension count.
int32_t findFile(const char* szDir, const char* szExt, int8_t* plug_index);

namespace vx::postproc {

// The file of companion program `index` in `folder` as it lies there (its letter case).
std::string pluginPath(const std::string& folder, int index);

// Starts companion program `index` from Exe_dir on Data_file, in Exe_dir, and waits until it
// ends (whileWaiting about every 50 ms). A program that cannot be started is reported
// ("File Error", with the reason) and gives false.
bool runPlugin(int index, const std::function<void()>& whileWaiting);

}  // namespace vx::postproc
