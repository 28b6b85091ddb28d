#include "monitor/export_file.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "monitor/channel_selection.h"
#include "monitor/live_file.h"
#include "monitor/monitor_hooks.h"
#include "monitor/monitor_state.h"
#include "monitor/pc_clock.h"
#include "platform/local_time.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/session_state.h"
#include "state/flags.h"

namespace vx::monitor {
namespace {

// The columns as they were when the export started: a session read again while the export
// runs cannot change the number of columns of the file.
struct NodeColumns {
    uint8_t address;
    int count;  // logical channels
    int first;  // first column
};

struct ExportRun {
    LiveFile file;
    LiveFile csv;  // open when a CSV was asked for
    std::string csvPath;
    vx::session::CsvStyle csvStyle = vx::session::CsvStyle::Rfc4180;
    bool running = false;
    uint16_t period = 1;
    uint32_t rows = 0;
    int columns = 0;
    int nodes = 0;
    NodeColumns node[MAX_NODES + 1] = {};
};

ExportRun& run() {
    static ExportRun r;
    return r;
}

void reportFile(vx::ui::WindowHandle owner, const std::string& text) {
    vx::ui::message(owner, text, "File Error", vx::ui::Icon::Error);
}

void takeLayout(ExportRun& r) {
    r.columns = 0;
    r.nodes = TotalNodeNum < MAX_NODES ? TotalNodeNum : MAX_NODES;
    for (int k = 1; k <= r.nodes; ++k) {
        int n = InfoFE[k].chanu_logic;
        if (n > EXPORT_MAX_CH - r.columns) n = EXPORT_MAX_CH - r.columns;
        r.node[k] = {InfoFE[k].nodead, n, r.columns};
        r.columns += n;
    }
}

void clearSums() {
    for (int i = 0; i < EXPORT_MAX_CH; ++i) {
        ExpoCh[i] = 0;
        ExpoN[i] = 0;
    }
}

// A write failure ends the export; both files keep every complete row.
bool write(LiveFile& file, const std::string& record) {
    ExportRun& r = run();
    if (file.append(record.data(), record.size())) return true;
    std::string why = file.error();
    r.file.close();
    r.csv.close();
    r.running = false;
    reportFile(nullptr,
               vx::ui::format("Data export file %s can not be written !\r\n\r\nThe export stopped after "
                              "its last complete row (%u rows).\r\n(%s)",
                              file.path().c_str(), unsigned(r.rows), why.c_str()));
    if (monitorHooks().exportStopped) monitorHooks().exportStopped();
    return false;
}

bool write(const std::string& record, const std::string& csvRecord) {
    ExportRun& r = run();
    return write(r.file, record) && (!r.csv.isOpen() || write(r.csv, csvRecord));
}

int32_t begin(vx::ui::WindowHandle owner, const std::string& path) {
    ExportRun& r = run();
    closeExport();
    if (!r.file.create(path)) {
        reportFile(owner, vx::ui::format("Data export file %s can not be created !\r\n\r\n(%s)", path.c_str(),
                                         r.file.error().c_str()));
        return 0;
    }
    if (!r.csvPath.empty() && !r.csv.create(r.csvPath)) {
        reportFile(owner, vx::ui::format("Data export file %s can not be created !\r\n\r\n(%s)",
                                         r.csvPath.c_str(), r.csv.error().c_str()));
        r.file.close();
        return 0;
    }
    r.running = true;
    r.rows = 0;
    r.period = Tsample_exp < 1 ? 1 : Tsample_exp;
    StartExpTime = uint32_t(pcNow());
    RefExpTime = StartExpTime + r.period;
    clearSums();
    takeLayout(r);
    printHeaderExp();
    return r.running ? 1 : 0;
}

}  // namespace

int32_t startExport(vx::ui::WindowHandle owner) {
    return openFileExp(owner);
}

int32_t startExportTo(const std::string& path, vx::ui::WindowHandle owner) {
    return begin(owner, path);
}

void setExportCsv(const std::string& path, vx::session::CsvStyle style) {
    run().csvPath = path;
    run().csvStyle = style;
}

const std::string& exportCsvName() {
    return run().csvPath;
}

bool exportRunning() {
    return run().running;
}

uint32_t exportStartTime() {
    return StartExpTime;
}

const std::string& exportFileName() {
    return run().file.path();
}

uint32_t exportRows() {
    return run().rows;
}

void addToExport(int nodeIndex, const float* values, int count) {
    ExportRun& r = run();
    if (!r.running || nodeIndex < 1 || nodeIndex > r.nodes) return;
    const NodeColumns& nc = r.node[nodeIndex];
    const datitab& node = InfoFE[nodeIndex];
    if (nc.address != node.nodead || count < nc.count) return;
    for (int i = 0; i < nc.count; ++i) {
        int col = nc.first + i;
        ExpoGra[col] = int8_t(vx::session::quantityCode(node, i));
        ExpoCh[col] += values[i];
        ExpoN[col] += 1;
    }
}

bool exportTick() {
    ExportRun& r = run();
    if (!r.running) return false;
    uint32_t now = uint32_t(pcNow());
    if (now <= RefExpTime) return false;
    printDataExp(now);
    if (!r.running) return false;
    RefExpTime += r.period;
    if (hDlgSel && monitorHooks().exportElapsed) monitorHooks().exportElapsed(exportElapsedText(now).c_str());
    clearSums();
    return true;
}

std::string exportElapsedText(uint32_t now) {
    uint32_t s = now >= StartExpTime ? now - StartExpTime : 0;
    return vx::ui::format("%u %02u:%02u:%02u", unsigned(s / 86400), unsigned(s % 86400 / 3600),
                          unsigned(s % 3600 / 60), unsigned(s % 60));
}

void closeExport() {
    run().file.close();
    run().csv.close();
    run().running = false;
}

}  // namespace vx::monitor

void virgAdj(char* buf, int32_t virgola) {
    if (virgola == 0) return;
    for (int i = 0; i < 10 && buf[i] != 0; ++i)
        if (buf[i] == '.') {
            buf[i] = ',';
            return;
        }
}

int32_t openFileExp(vx::ui::WindowHandle hwndCtrl) {
    vx::ui::FileDialogOptions opts;
    opts.filters = {{"Data Export File (*.csv)", "*.csv"}, {"All Files (*.*)", "*.*"}};
    opts.defaultExt = "csv";
    opts.askOverwrite = true;
    auto name = vx::ui::backend().saveFileName(hwndCtrl, opts);
    if (!name || name->empty()) return 0;
    return vx::monitor::begin(hwndCtrl, *name);
}

void printHeaderExp() {
    using namespace vx::monitor;
    ExportRun& r = run();
    if (!r.running) return;
    std::string line = "\"Timestamp\"";
    std::string csv = std::string(vx::session::csvPreamble(r.csvStyle)) + "Timestamp";
    const char sep = vx::session::csvSeparator(r.csvStyle);
    for (int k = 1; k <= r.nodes; ++k)
        for (int j = 0; j < r.node[k].count; ++j) {
            const std::string name =
                vx::ui::format("CH%u_%u: %s", unsigned(r.node[k].address), unsigned(j + 1),
                               Lista_Grandezze[vx::session::quantityCode(InfoFE[k], j)]);
            line += ";\"" + name + "\"";
            (csv += sep) += vx::session::csvName(name, r.csvStyle);
        }
    line += "\r\n";
    csv += vx::session::kCsvLineEnd;
    write(line, csv);
}

void printDataExp(uint32_t timestamp) {
    using namespace vx::monitor;
    ExportRun& r = run();
    if (!r.running) return;
    std::tm t = vx::platform::localTime(std::time_t(timestamp));
    char text[ADJ_TEXT_MAX];
    std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d%02d", t.tm_year % 100, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    std::string line = text;
    line.reserve(16 + size_t(r.columns) * 12);
    std::string csv;
    if (r.csv.isOpen()) csv = vx::session::isoLocalTime(std::time_t(timestamp));
    const char sep = vx::session::csvSeparator(r.csvStyle);
    for (int col = 0; col < r.columns; ++col) {
        // Single precision throughout, so the averages round as the download's do.
        const float value = ExpoN[col] > 1 ? ExpoCh[col] / float(ExpoN[col]) : ExpoCh[col];
        adj_value2(text, ExpoGra[col], value);
        if (r.csv.isOpen()) (csv += sep) += vx::session::csvNumber(text, r.csvStyle);
        virgAdj(text, Flag.comma);
        line += ';';
        line += text;
    }
    line += "\r\n";
    csv += vx::session::kCsvLineEnd;
    if (write(line, csv)) ++r.rows;
}
