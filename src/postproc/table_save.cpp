#include "postproc/table_save.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/atomic_file.h"
#include "postproc/column_ops.h"
#include "postproc/made_files.h"
#include "postproc/table.h"
#include "state/exe_dir.h"
#include "state/flags.h"
#include "ui/backend.h"

namespace {

// Replaces the first '.' among the first 10 characters by ',' when comma is not 0.
void decimalComma(char* buf, int32_t comma) {
    if (comma == 0) return;
    for (int i = 0; i < 10 && buf[i] != 0; ++i)
        if (buf[i] == '.') {
            buf[i] = ',';
            return;
        }
}

// Emits the file in pieces (one line at a time) to `out`.
template <class Out>
void emitTable(TableHandle t, const INFOST& info, int32_t format, int32_t comma, Out&& out) {
    const int32_t columns = vx::postproc::savedColumnCount(t);
    const int32_t rows = int32_t(info.nItem) < t->rows() ? int32_t(info.nItem) : t->rows();
    char text[LV_TEXT_MAX + 1];
    char value[48];
    std::string line;
    // Each value with its blank after it (format A) or its ';' before it (format B).
    auto values = [&](int32_t r, bool blankAfter) {
        for (int32_t c = 2; c < columns; ++c) {
            int32_t prec = 0;
            float v = strLV_num(t, r, c, &prec);
            vx::postproc::formatValue(value, prec, v);
            decimalComma(value, comma);
            if (blankAfter) {
                line += value;
                line += ' ';
            } else {
                line += ';';
                line += value;
            }
        }
    };
    if (format == FORMAT_A) {
        getCell(t, text, 0, 1);
        line = "Start: ";
        line += text;
        line += "\r\n";
        line += "Time[s]: " + std::to_string(unsigned(Tsample)) + "\r\n";
        for (int32_t c = 2; c < columns; ++c) {
            getHeader(t, text, c);
            line += '"';
            line += text;
            line += "\" ";
        }
        line += "\r\n";
        out(line);
        for (int32_t r = 0; r < rows; ++r) {
            line.clear();
            values(r, true);
            line += "\r\n";
            out(line);
        }
    } else {
        line = "\"DATE:\";\"TIME:\"";
        for (int32_t c = 2; c < columns; ++c) {
            getHeader(t, text, c);
            line += ";\"";
            line += text;
            line += '"';
        }
        line += "\r\n";
        out(line);
        for (int32_t r = 0; r < rows; ++r) {
            char stamp[LV_TEXT_MAX + 1];
            getCell(t, stamp, r, 1);
            char s[14];
            std::memset(s, ' ', sizeof s);
            std::memcpy(s, stamp, std::strlen(stamp) < 13 ? std::strlen(stamp) : 13);
            line = "\"";
            line += {s[4], s[5], '.', s[2], s[3], '.', s[0], s[1], '"', ';', '"'};
            line += {s[7], s[8], ':', s[9], s[10], ':', s[11], s[12], '"'};
            values(r, false);
            line += "\r\n";
            out(line);
        }
    }
}

}  // namespace

namespace vx::postproc {

int32_t savedColumnCount(TableHandle t) {
    char prev[LV_TEXT_MAX + 1] = {}, cur[LV_TEXT_MAX + 1];
    int32_t n = 0;
    while (getHeader(t, cur, n)) {
        if (n > 0 && std::strcmp(cur, prev) == 0) break;
        std::memcpy(prev, cur, sizeof cur);
        ++n;
    }
    return n;
}

std::string droppedColumnsText(TableHandle t) {
    if (!t) return {};
    const int32_t kept = savedColumnCount(t);
    const int32_t left = t->columns() - kept;
    if (left <= 0 || kept <= 0) return {};
    char header[LV_TEXT_MAX + 1];
    getHeader(t, header, kept);
    return "Column \"" + std::string(header) +
           "\" repeats the header of the column before it: the saved file ends before it, without its last " +
           std::to_string(left) + (left == 1 ? " column." : " columns.");
}

std::string tableFileText(TableHandle t, const INFOST& info, int32_t format, int32_t comma) {
    std::string all;
    if (t) emitTable(t, info, format, comma, [&](const std::string& line) { all += line; });
    return all;
}

}  // namespace vx::postproc

int32_t saveFile2(TableHandle t, const char* namefile, const INFOST& info) {
    if (!t) return 0;
    const std::string dropped = vx::postproc::droppedColumnsText(t);
    if (!dropped.empty() &&
        vx::ui::message(nullptr, dropped + "\r\nSave anyway ?", "Warning", vx::ui::Icon::Warning,
                        vx::ui::Buttons::YesNo) != vx::ui::Answer::Yes)
        return 0;
    vx::ui::FileDialogOptions opts;
    opts.filters = {{"Data Record File (*.txt)", "*.txt"}, {"All Files (*.*)", "*.*"}};
    opts.defaultExt = "txt";
    opts.initialName = namefile ? namefile : "";
    opts.askOverwrite = true;
    auto chosen = vx::ui::backend().saveFileName(nullptr, opts);
    if (!chosen || chosen->empty()) return 0;
    const std::string& name = *chosen;

    vx::platform::AtomicFile file;
    bool ok = file.open(name);
    if (ok) {
        file.setBuffer(1 << 20);
        emitTable(t, info, Flag.file_format, Flag.comma,
                  [&](const std::string& line) { file.write(line.data(), line.size()); });
        ok = file.commit();
    }
    if (!ok) {
        vx::ui::message(nullptr, name + " can not be written !\r\n\r\n(" + file.error() + ")", "File Error",
                        vx::ui::Icon::Error);
        return 0;
    }
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(name, ec);
    if (ec) full = name;
    std::snprintf(Data_file, sizeof Data_file, "%s", full.string().c_str());
    std::snprintf(Data_dir, sizeof Data_dir, "%s", full.parent_path().string().c_str());
    if (Exe_dir[0]) std::filesystem::current_path(Exe_dir, ec);
    t->clearUndo();
    vx::postproc::noteTableSaved();
    return 1;
}
