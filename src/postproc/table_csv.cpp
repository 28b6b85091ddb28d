#include "postproc/table_csv.h"

#include <algorithm>

#include "platform/atomic_file.h"

namespace vx::postproc {

using vx::session::CsvStyle;

std::string tableCsvText(const Table& table, int dataColumns, CsvStyle style) {
    const int first = 2;  // after "Item" and "Time"
    const int last = std::min(first + std::max(dataColumns, 0), table.columns());
    const char sep = vx::session::csvSeparator(style);
    std::string out(vx::session::csvPreamble(style));
    out += "Timestamp";
    for (int c = first; c < last; ++c) {
        out += sep;
        out += vx::session::csvName(table.header(c), style);
    }
    out += vx::session::kCsvLineEnd;
    for (int r = 0; r < table.rows(); ++r) {
        const std::string_view time = table.cell(r, 1);
        if (auto iso = vx::session::isoLocalTime(time))
            out += *iso;
        else
            out += vx::session::csvField(time, style);
        for (int c = first; c < last; ++c) {
            out += sep;
            out += vx::session::csvNumber(table.cell(r, c), style);
        }
        out += vx::session::kCsvLineEnd;
    }
    return out;
}

std::string saveTableCsv(const Table& table, int dataColumns, CsvStyle style, const std::string& path) {
    const std::string text = tableCsvText(table, dataColumns, style);
    std::string error;
    if (!vx::platform::writeFileAtomically(path, text.data(), text.size(), &error))
        return path + " can not be written !\n(" + error + ")";
    return {};
}

}  // namespace vx::postproc
