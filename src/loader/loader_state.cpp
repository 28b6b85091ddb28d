#include "loader/loader_state.h"

std::string File_fw;
std::string File_ee;
uint16_t T_updfw_fast = T_UPDFW_FAST_DEFAULT;
