#pragma once
// A node's physical samples turned into its logical channel values with the session's
// assignment table.

#include <cstdint>

// Finds the node of address nodeAd among the session's nodes whose physical channel count
// is chaNu (a node found with another count is passed over for a later one of the same
// address); stores its index (1..TotalNodeNum, 0 when none) through pnodeNum and its
// logical channel values, built from the chaNu samples vx, into vx_logic (room for
// MAX_LOGIC_CH). 1 when a node matched, else 0.
int32_t getCHlogic(int32_t* pnodeNum, int32_t* vx_logic, const int16_t* vx, int32_t chaNu, int32_t nodeAd);
