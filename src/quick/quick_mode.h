#pragma once
// The quick window (dialog 500) and the page viewer (dialog 600) without their widgets:
// what each control does to the session and which controls it enables. The windows read
// their controls, call these and show the result.

#include <cstdint>
#include <string>

#include "ui/backend.h"

namespace vx::quick {

// Which of the quick window's buttons may be pressed.
struct QuickControls {
    bool start = false;
    bool pageFirst = false;
    bool pageLast = false;
};

// The window as it opens: the page type cleared, the five session flags set, Start and
// the page buttons disabled.
QuickControls openQuickMode();

// Start needs a valid table, both pages defined and a valid sample time.
bool startAllowed();

// A session chosen from the list (index into Table): every session flag set again,
// DataTimeSS, the table and the page range read from the image, the time markers, and
// the report written into `report`. The controls to enable; when the table fails, only
// the flags change and nothing is enabled.
QuickControls chooseSession(int32_t index, vx::ui::WindowHandle report);

// The sample-time box: 1..65535 sets Tsample and clears Flag.sample_error, anything
// else sets it. True when valid.
bool applySampleTime(const std::string& typed);

// A page number typed in hexadecimal ("1A3", "0x01A3"); anything that is not a page of
// the memory (outside 0..0xFFF, or no hex number at all) is page 0.
uint16_t parsePageEntry(const std::string& typed);
// The number as the page box shows it: "0x%04X".
std::string pageEntryText(uint16_t page);

// The page viewer's text for one page of the image and whether it is a data page.
struct PageView {
    bool dataPage = false;
    std::string text;
};
PageView pageText(int32_t page);

// The page the viewer opens on (PagFirst or PagLast by Flag.page_type), shown; a data
// page clears that page's flag.
PageView openPageViewer(int32_t pageType);
// A page stepped to or typed in the viewer, shown: a data page becomes PagFirst or
// PagLast and clears the flag, any other page sets it.
PageView viewerPage(uint16_t page);
// Back in the quick window after the viewer: the time markers again when both pages are
// defined, the report redrawn, and the controls to enable (Page First stays enabled).
QuickControls afterPageViewer(vx::ui::WindowHandle report, bool pageLastWasEnabled);

}  // namespace vx::quick

// The page viewer's text of page `page` of the image into the box; 1 if it is a data page.
int32_t printPageBin(vx::ui::WindowHandle hwndDlg, int32_t page);
