#pragma once
// A session of the flash image: its assignment table and page range, its time markers,
// its report, and its data record file, as a download of the same session writes it.

#include <cstdint>

#include "ui/backend.h"

// The table at page PagTab of the image into TabAss, checked and decoded as the
// session reading does (a setup error shows its message). Then the page range: when the
// page after the table holds data, PagFirst is that page, PagLast the last page after it
// whose time marker does not go back, and both page flags are cleared. 1 when the table
// is valid; a session without data leaves the page flags as they are and PagLast at the
// table page.
int32_t initTabAssBin();

// TotalPagNum, FirstTimeMarker, LastTimeMarker and DurataSessione from the image for
// PagFirst and PagLast; 0 when PagFirst is neither right after the table page nor right
// after the last page.
int32_t initTimeMarkBin();

// The quick-mode session report into the text box.
void printInfoSesBin(vx::ui::WindowHandle hDlgCtrl);

// The data record file `namefile` from the image, written complete or not at all; 1 on
// success, 0 after a Stop or a failure (a failure after its message).
int32_t saveFileBin(vx::ui::WindowHandle hwndDlg, const char* namefile);
