#ifdef _WIN32

#include <windows.h>

#include "platform/process.h"

namespace vx::platform {

bool runProgramAndWait(const std::string& program, const std::string& argument, const std::string& folder,
                       const std::function<void()>& whileWaiting, std::string* error) {
    std::string command = "\"" + program + "\" \"" + argument + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi)) {
        if (error) *error = "Windows error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(pi.hThread);
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT)
        if (whileWaiting) whileWaiting();
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace vx::platform

#endif
