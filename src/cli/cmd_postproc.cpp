// vendrix-cli table, graph and convert: the post-processing window's edits, Save and
// Graph, and quick mode's conversion of a flash image, without a window.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/csv_option.h"
#include "cli/raw_archive_options.h"
#include "cli/table_file.h"
#include "platform/signals.h"
#include "plot/output_file.h"
#include "plot/screen.h"
#include "postproc/column_graph.h"
#include "postproc/column_ops.h"
#include "postproc/set_file_rules.h"
#include "postproc/table.h"
#include "postproc/table_access.h"
#include "postproc/table_load.h"
#include "postproc/table_save.h"
#include "quick/flash_image.h"
#include "quick/quick_mode.h"
#include "quick/quick_session.h"
#include "session/download.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "ui/terminal_backend.h"

namespace vx::cli {
namespace {

namespace fs = std::filesystem;
using vx::postproc::theTable;

constexpr int32_t kMaxDataColumn = SELCOL_LAST - 1;  // data column 240 is table column 241

// "--help" among the arguments: the usage with the positional argument, then true.
bool helpAsked(const std::vector<std::string>& args, const char* name, const char* operands,
               const char* summary, const Options& opts) {
    for (auto& a : args)
        if (a == "--help" || a == "-h") {
            std::printf("Usage: vendrix-cli %s %s[OPTIONS]\n%s\n\nOptions:\n%s", name, operands, summary,
                        opts.usage().c_str());
            return true;
        }
    return false;
}

// "3", "1,4,7", "2-5,9": the data columns, in order, each once. Empty when malformed.
std::vector<int32_t> parseColumnList(const std::string& text) {
    std::set<int32_t> columns;
    std::stringstream in(text);
    for (std::string piece; std::getline(in, piece, ',');) {
        size_t dash = piece.find('-');
        auto a = parseUnsigned(piece.substr(0, dash));
        auto b = dash == std::string::npos ? a : parseUnsigned(piece.substr(dash + 1));
        if (!a || !b || *a < 1 || *b < *a || *b > kMaxDataColumn) return {};
        for (unsigned long c = *a; c <= *b; ++c)
            columns.insert(int32_t(c));
    }
    if (!text.empty() && text.back() == ',') return {};
    return {columns.begin(), columns.end()};
}

struct Range {
    unsigned long first = 0, last = 0;
};

// "FIRST-LAST" (or a single item number).
std::optional<Range> parseRange(const std::string& text) {
    size_t dash = text.find('-');
    auto a = parseUnsigned(text.substr(0, dash));
    auto b = dash == std::string::npos ? a : parseUnsigned(text.substr(dash + 1));
    if (!a || !b || *a < 1 || *b < *a) return std::nullopt;
    return Range{*a, *b};
}

int32_t dataColumns() {
    return tableColumns(&theTable()) - 2;
}

// The columns selected as clicks in the window select them: table index = data column + 1.
void selectColumns(const std::vector<int32_t>& columns) {
    std::fill(std::begin(SelCol), std::end(SelCol), 0);
    for (int32_t c : columns)
        SelCol[c + 1] = 1;
    SelCol[0] = int32_t(columns.size());
    item_sel_en = 0;
}

// "" when every column is in the table, else what is wrong.
std::string columnsMissing(const std::string& option, const std::vector<int32_t>& columns) {
    const int32_t have = dataColumns();
    for (int32_t c : columns)
        if (c > have)
            return option + ": the table has " + std::to_string(have) + " data column" +
                   (have == 1 ? "" : "s") + " (1 to " + std::to_string(have) + ")";
    return {};
}

// The item numbers of the first and last rows (the Item column keeps them after a cut).
Range items() {
    char buf[LV_TEXT_MAX + 1];
    Range r;
    const int32_t rows = std::min(tableRows(&theTable()), int32_t(InfoSES.nItem));
    if (rows <= 0) return r;
    getCell(&theTable(), buf, 0, 0);
    r.first = std::strtoul(buf, nullptr, 10);
    r.last = r.first + unsigned(rows) - 1;
    return r;
}

std::string itemsText(const Range& r) {
    return "items " + std::to_string(r.first) + " to " + std::to_string(r.last);
}

// Moves the column at table index `index` one place to the left, as Move column does.
bool moveLeft(int32_t index) {
    selectColumns({index - 1});
    return vx::postproc::moveClicked(&theTable());
}

// One edit of the table command. kExitOk, or the status to end with.
int applyEdit(const char* name, const std::string& option, const std::string& value) {
    const std::string typed = "--" + option + " " + value;
    vx::postproc::Table& t = theTable();
    if (option == "delete-columns" || option == "merge") {
        std::vector<int32_t> columns = parseColumnList(value);
        if (std::string bad = columnsMissing(typed, columns); !bad.empty()) return usageError(name, bad);
        selectColumns(columns);
        if (option == "merge") return vx::postproc::mergeClicked(&t, nullptr) ? kExitOk : kExitFailed;
        if (int32_t(columns.size()) >= dataColumns())
            return usageError(name, typed + ": at least one data column must stay");
        return vx::postproc::deleteColumnClicked(&t, nullptr) ? kExitOk : kExitFailed;
    }
    if (option == "swap") {
        std::vector<int32_t> pair = parseColumnList(value);
        if (std::string bad = columnsMissing(typed, pair); !bad.empty()) return usageError(name, bad);
        // Move column takes a column one place to the left: the right one goes left until it
        // stands where the left one was, then the columns it passed go left past the left
        // one, which so reaches the right one's place.
        const int32_t a = pair[0] + 1, b = pair[1] + 1;
        bool moved = true;
        for (int32_t k = b; moved && k > a; --k)
            moved = moveLeft(k);
        for (int32_t k = a + 2; moved && k <= b; ++k)
            moved = moveLeft(k);
        return moved ? kExitOk : fail("Moving the column not completed !");
    }
    // delete-rows: the rows cut from the start or the end, as Delete item cuts them.
    auto cut = parseRange(value);
    const Range have = items();
    if (have.last < have.first || have.first == 0) return usageError(name, typed + ": the table has no rows");
    if (cut->first < have.first || cut->last > have.last ||
        (cut->first != have.first && cut->last != have.last) ||
        (cut->first == have.first && cut->last == have.last))
        return usageError(name, typed + ": the rows cut must start at the first or end at the last row (" +
                                    itemsText(have) + "), and at least one row must stay");
    t.selectAllRows(false);
    item_sel_en = 1;
    for (unsigned long i = cut->first; i <= cut->last; ++i)
        t.setRowSelected(int(i - have.first), true);
    return vx::postproc::deleteItemClicked(&t, nullptr) ? kExitOk : fail("Deleting items not completed !");
}

// The syntax of an edit, checked before anything is read.
std::string editSyntax(const std::string& option, const std::string& value) {
    const std::string typed = "--" + option + " " + value;
    if (option == "delete-columns" && parseColumnList(value).empty())
        return typed + ": data column numbers from 1, as in 2,5 or 3-6";
    if (option == "merge" && parseColumnList(value).size() < 2)
        return typed + ": two or more data column numbers, as in 2,3 or 4-6";
    if (option == "swap" && parseColumnList(value).size() != 2)
        return typed + ": two data column numbers, as in 2,5";
    if (option == "delete-rows" && !parseRange(value)) return typed + ": item numbers FIRST-LAST, as in 1-10";
    return {};
}

}  // namespace

int cmdTable(const std::vector<std::string>& args) {
    const char* name = "table";
    Options opts(withCsv({
        {0, "delete-columns", true, false, "delete these data columns", "LIST"},
        {0, "merge", true, false, "merge these data columns into the first of them (row averages)", "LIST"},
        {0, "delete-rows", true, false,
         "delete the rows of these items, from the first or up to the last row", "FIRST-LAST"},
        {0, "swap", true, false, "swap these two data columns", "A,B"},
        {0, "format", true, false, "output format A (data record layout) or B (semicolons, date and time)",
         "A|B"},
        {0, "comma", false, false, "decimal commas"},
        {0, "start", true, false, "time of the first row of a data record file (default: its name)",
         "YYMMDD_hhmmss"},
        {'o', "out", true, false, "the file to write (required unless --csv)", "FILE"},
    }));
    if (helpAsked(
            args, name, "FILE ",
            "Loads a data record file or a table saved in format A, edits it as the post-processing\n"
            "window does and saves it as its Save does. The edits act in the order given, each on the\n"
            "table as the edits before it left it, and may repeat. Data columns are numbered from 1 in\n"
            "the order of the file's header line (Item and Time are not counted); LIST is numbers and\n"
            "ranges, as in 1,4-6. Rows are named by their item numbers, which stay as they were after a\n"
            "cut.",
            opts))
        return kExitOk;
    if (!opts.parse(args)) return usageError(name, opts.error());
    if (opts.positional().size() != 1)
        return usageError(name, "FILE is required (a data record file or a saved table)");
    CsvRequest csv;
    if (std::string bad = parseCsvRequest(opts, &csv); !bad.empty()) return usageError(name, bad);
    const bool save = opts.has("out") || !csv.wanted;
    if (save && opts.value("out").empty()) return usageError(name, "--out FILE (or --csv) is required");
    const int32_t format = parseFormat(opts.value("format"));
    if (save && format < 0) return usageError(name, "--format A or --format B is required");
    if (!save && (opts.has("format") || opts.has("comma")))
        return usageError(name, "--format and --comma go with --out FILE");
    if (opts.has("start") && !isTimeStamp(opts.value("start")))
        return usageError(name, "--start " + opts.value("start") + ": a time YYMMDD_hhmmss");
    for (auto& [option, value] : opts.given())
        if (std::string bad = editSyntax(option, value); !bad.empty()) return usageError(name, bad);

    useTerminal(opts);
    terminal().setQuiet(true);  // the questions of the window's buttons, answered on the command line
    terminal().setAnswer("Merge the selected columns ?", vx::ui::Answer::Yes);
    terminal().setAnswer("Delete all the selected", vx::ui::Answer::Yes);
    bool usage = false;
    if (std::string error = loadTableFile(opts.positional()[0], opts.value("start"), &usage); !error.empty())
        return usage ? usageError(name, error) : fail(error);
    for (auto& [option, value] : opts.given()) {
        if (vx::platform::interruptRequested()) return kExitInterrupted;
        if (editSyntax(option, value).empty() &&
            (option == "delete-columns" || option == "merge" || option == "swap" || option == "delete-rows"))
            if (int status = applyEdit(name, option, value); status != kExitOk) return status;
    }
    if (vx::platform::interruptRequested()) return kExitInterrupted;
    if (save) {
        if (std::string error = saveTableFile(opts.value("out"), format, opts.has("comma")); !error.empty())
            return fail(error);
        std::printf("%s: %u rows, %d data columns, format %c\n", opts.value("out").c_str(),
                    unsigned(InfoSES.nItem), dataColumns(), format == FORMAT_A ? 'A' : 'B');
    }
    if (csv.wanted)
        if (std::string error = writeTableCsv(csv, opts.positional()[0]); !error.empty()) return fail(error);
    return kExitOk;
}

int cmdGraph(const std::vector<std::string>& args) {
    const char* name = "graph";
    Options opts({
        {0, "columns", true, false, "the data columns to plot (required)", "LIST"},
        {0, "rows", true, false, "plot only the rows of these items (default: all)", "FIRST-LAST"},
        {0, "start", true, false, "time of the first row of a data record file (default: its name)",
         "YYMMDD_hhmmss"},
        {'o', "out", true, false, "the picture file, .wmf (required)", "PICTURE"},
    });
    if (helpAsked(args, name, "FILE ",
                  "Draws the post-processing window's column graph of a data record file or a saved table\n"
                  "into a picture file: a Windows metafile (.wmf). SVG and PNG pictures are drawn by the\n"
                  "desktop program (f in its graph). Data columns are numbered from 1 in the order of the\n"
                  "file's header line; rows are named by their item numbers.",
                  opts))
        return kExitOk;
    if (!opts.parse(args)) return usageError(name, opts.error());
    if (opts.positional().size() != 1)
        return usageError(name, "FILE is required (a data record file or a saved table)");
    const std::vector<int32_t> columns = parseColumnList(opts.value("columns"));
    if (columns.empty())
        return usageError(name, "--columns LIST is required: data column numbers from 1, as in 1,3-4");
    std::optional<Range> rows;
    if (opts.has("rows") && (!(rows = parseRange(opts.value("rows"))) || rows->first == rows->last))
        return usageError(name,
                          "--rows " + opts.value("rows") + ": item numbers FIRST-LAST, FIRST below LAST");
    if (opts.has("start") && !isTimeStamp(opts.value("start")))
        return usageError(name, "--start " + opts.value("start") + ": a time YYMMDD_hhmmss");
    const std::string out = opts.value("out");
    std::string ext = fs::path(out).extension().string();
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (out.empty() || (ext != ".wmf" && ext != ".svg" && ext != ".png"))
        return usageError(name, "--out PICTURE is required, a .wmf file");
    if (ext != ".wmf" && !vx::plot::registeredPictureWriter())
        return usageError(name, "--out " + out +
                                    ": SVG and PNG pictures are drawn by the desktop program (vendrix); this "
                                    "tool writes Windows metafiles (.wmf)");

    useTerminal(opts);
    bool usage = false;
    if (std::string error = loadTableFile(opts.positional()[0], opts.value("start"), &usage); !error.empty())
        return usage ? usageError(name, error) : fail(error);
    if (std::string bad = columnsMissing("--columns " + opts.value("columns"), columns); !bad.empty())
        return usageError(name, bad);
    selectColumns(columns);
    theTable().selectAllRows(false);
    if (rows) {
        const Range have = items();
        if (rows->first < have.first || rows->last > have.last)
            return usageError(name, "--rows " + opts.value("rows") + ": the table has " + itemsText(have));
        theTable().setRowSelected(int(rows->first - have.first), true);
        theTable().setRowSelected(int(rows->last - have.first), true);
    }
    if (vx::platform::interruptRequested()) return kExitInterrupted;
    const int32_t result = graphColToFile(&theTable(), SelCol, int32_t(InfoSES.nItem), out.c_str());
    if (result == -2) return fail("Unable to display graphic !");
    if (vx::plot::lastPictureFile() != out) return fail(out + " can not be written !");
    std::printf("%s: %zu column%s\n", out.c_str(), columns.size(), columns.size() == 1 ? "" : "s");
    return kExitOk;
}

int cmdConvert(const std::vector<std::string>& args) {
    const char* name = "convert";
    Options opts(withCsv({
        {0, "image", true, false, "the flash image (default: QM41data.bin)", "QM41data.bin"},
        {0, "dump", true, false, "the dump with the session index (default: QM41data.txt)", "FILE"},
        {0, "session", true, false, "the start of the session to convert (default: the last of the index)",
         "YYMMDD_hhmmss"},
        {0, "sample", true, false, "sample time in seconds, 1 to 65535 (required)", "SECONDS"},
        {'o', "out", true, false, "name of the data record file (default: the session start, YYMMDD_hhmmss)",
         "FILE"},
        {'q', "quiet", false, false, "no progress bar"},
        {0, "archive", true, false,
         "convert the raw archive a download kept with --archive DIR instead of a flash image", "DIR"},
    }));
    if (!parseOrHelp(opts, args, name,
                     "Converts a session of a flash image into its data record file, as quick mode's Start\n"
                     "does, and prints quick mode's session report. The image and the dump are those a\n"
                     "download with --verbose writes (Ctrl+C stops the conversion)."))
        return exitStatus();
    auto sample = parseUnsigned(opts.value("sample"));
    if (!sample || *sample < 1 || *sample > 65535)
        return usageError(name, opts.has("sample") ? "--sample " + opts.value("sample") + ": from 1 to 65535"
                                                   : "--sample SECONDS is required (from 1 to 65535)");
    const std::string session = opts.value("session");
    if (opts.has("session") && !isTimeStamp(session))
        return usageError(name, "--session " + session + ": a session start YYMMDD_hhmmss");
    if (opts.has("out") && opts.value("out").empty())
        return usageError(name, "--out: the file name is empty");
    CsvRequest csv;
    if (std::string bad = parseCsvRequest(opts, &csv); !bad.empty()) return usageError(name, bad);
    if (opts.has("archive")) {
        if (opts.has("image") || opts.has("dump") || opts.has("session"))
            return usageError(name, "--archive DIR takes no --image, --dump or --session");
        if (opts.value("archive").empty()) return usageError(name, "--archive: the folder name is empty");
        useTerminal(opts, !opts.has("quiet"));
        std::string out;
        if (int status = convertRawArchive(opts.value("archive"), unsigned(*sample), opts.value("out"), &out);
            status != kExitOk || !csv.wanted)
            return status;
        if (!loadLV(&vx::postproc::theTable(), out.c_str())) return fail(out + ": File not valid !");
        if (std::string error = writeTableCsv(csv, out); !error.empty()) return fail(error);
        return kExitOk;
    }
    std::error_code ec;
    const fs::path image = fs::absolute(opts.value("image", IMAGE_FILE), ec);
    if (image.filename() != IMAGE_FILE)
        return usageError(name, "--image " + opts.value("image") + ": quick mode reads the image as " +
                                    IMAGE_FILE + " in its folder; give it that name");
    const std::string dumpName = opts.value("dump", DUMP_FILE);

    useTerminal(opts, !opts.has("quiet"));
    std::ifstream dumpFile(dumpName, std::ios::binary);
    if (!dumpFile) return fail(dumpName + " file not found !");
    const std::string dump((std::istreambuf_iterator<char>(dumpFile)), std::istreambuf_iterator<char>());
    {
        vx::quick::FlashImage check;
        if (!check.open(image.string())) return fail(image.string() + " file not found !");
        if (check.size() != (long long)vx::quick::kImageSize)
            return fail(image.string() + " size not valid !");
    }
    Flag.VT71 = 0;
    vx::quick::parseSessionIndex(dump);
    if (vx::quick::IndTab <= 0) return fail("No session found ! (" + dumpName + ")");
    int32_t index = vx::quick::IndTab - 1;
    if (opts.has("session")) {
        index = -1;
        for (int32_t i = 0; i < vx::quick::IndTab && index < 0; ++i)
            if (session == vx::quick::Table[i].datainizio) index = i;
        if (index < 0)
            return fail("no session starts at " + session + " in " + dumpName + " (its index holds " +
                        std::to_string(vx::quick::IndTab) + " session" + (vx::quick::IndTab == 1 ? "" : "s") +
                        ", the last starting at " + vx::quick::Table[vx::quick::IndTab - 1].datainizio + ")");
    }

    // Quick mode reads the image by its name in the current folder.
    const fs::path here = fs::current_path(ec);
    if (!csv.file.empty())
        csv.file = (here / csv.file).string();  // named from here, written from the image's folder
    struct Back {
        fs::path to;
        ~Back() {
            std::error_code e;
            fs::current_path(to, e);
        }
    } back{here};
    fs::current_path(image.parent_path(), ec);
    if (ec) return fail(image.parent_path().string() + ": " + ec.message());

    vx::quick::applySampleTime(std::to_string(*sample));
    const vx::quick::QuickControls controls = vx::quick::chooseSession(index, nullptr);
    std::fflush(stdout);
    if (Flag.table_error)
        return fail("Parsing error in Assignment Table ! (session " + std::string(DataTimeSS) + ")");
    if (!controls.start)
        return fail(
            "The output file was not created !\n(the first or the last data page of the session is not "
            "defined)");
    const std::string out = (here / opts.value("out", DataTimeSS)).string();
    if (!saveFileBin(nullptr, out.c_str())) {
        if (vx::platform::interruptRequested()) return kExitInterrupted;
        return fail("The output file was not created !");
    }
    std::printf("%s: %u rows, %u columns, sample time %u s\n", out.c_str(), unsigned(InfoSES.nItem),
                unsigned(InfoSES.nSubItem), unsigned(Tsample));
    if (csv.wanted) {
        if (!loadLV(&vx::postproc::theTable(), out.c_str())) return fail(out + ": File not valid !");
        if (std::string error = writeTableCsv(csv, out); !error.empty()) return fail(error);
    }
    return kExitOk;
}

}  // namespace vx::cli
