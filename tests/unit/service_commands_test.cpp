// The main window's service commands against the simulated logger and board through the
// fake serial port (virtual time), and the flash image check.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "link/com.h"
#include "loader/bin_file.h"
#include "session/session_state.h"
#include "shell/service_commands.h"
#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "state/flags.h"
#include "support/fixtures.h"
#include "ui/input_dialogs.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;
using vx::ui::Answer;

class ServiceCommands : public ProgramTest {
  protected:
    void start(const std::string& settings) {
        vx::sim::Options o;
        std::string err;
        ASSERT_TRUE(vx::sim::parseSimSettings(settings, o, err)) << err;
        port = std::make_unique<vx::sim::FakeSerialPort>(vx::sim::makeDevice(o, err));
        hCom = port.get();
        Timeout_rx = TO_RX_SLOW;  // virtual time: costs nothing
        Flag.VT71 = o.profile == "vt71";
        Flag.NOD85 = o.profile == "nod85";
        Datalogger.fw = uint16_t(o.fw);
    }
    void TearDown() override {
        hCom = nullptr;
        Flag.VT71 = Flag.NOD85 = 0;
        if (!dir.empty()) fs::remove_all(dir);
        ProgramTest::TearDown();
    }
    std::string sent() const { return port->writtenText(); }
    bool sentHas(const std::string& s) const { return sent().find(s) != std::string::npos; }
    const vx::sim::FlashService& flash() { return vx::sim::findLogger(port->device())->flashService(); }
    std::string image(uint32_t bytes) {
        if (dir.empty()) dir = fs::temp_directory_path() / ("vxsc" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::string p = (dir / ("img" + std::to_string(bytes) + ".bin")).string();
        std::ofstream f(p, std::ios::binary);
        for (uint32_t i = 0; i < bytes; ++i)
            f.put(char(i * 7 + i / 528));
        return p;
    }
    std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back().text; }
    std::unique_ptr<vx::sim::FakeSerialPort> port;
    fs::path dir;
};

TEST_F(ServiceCommands, ImageSizesAreChecked) {
    const struct {
        uint32_t bytes;
        int result;
        uint32_t pages;
        const char* message;
    } cases[] = {
        {528, 1, 1, ""},
        {527, 0, 0, "The file does not contain an integer number of data pages !"},
        {0, 0, 0, "The file does not contain an integer number of data pages !"},
        {529, 0, 0, "The file does not contain an integer number of data pages !"},
        {4096 * 528, 1, 4096, ""},
        {4097 * 528, 0, 0, "File size is too big !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        ui.messages.clear();
        vx::loader::BinFile f;
        EXPECT_EQ(vx::loader::openBinFile(nullptr, image(c.bytes), f), c.result);
        EXPECT_EQ(f.pages(), c.pages);
        EXPECT_EQ(lastMessage(), c.message);
    }
    vx::loader::BinFile f;
    ui.chooseFile((dir / "missing.bin").string());
    uint32_t pages = 99;
    EXPECT_EQ(getBinFile(nullptr, f, &pages), 0);
    EXPECT_EQ(lastMessage(), "Image file not found !");
    EXPECT_EQ(ui.messages.back().caption, "File Error");
}

TEST_F(ServiceCommands, ImageShortenedAfterTheCheckSendsNoPartialPiece) {
    const std::string p = image(528);
    vx::loader::BinFile f;
    ASSERT_EQ(vx::loader::openBinFile(nullptr, p, f), 1);
    fs::resize_file(p, 100);
    uint8_t piece[48];
    EXPECT_TRUE(f.readPiece(piece));
    EXPECT_TRUE(f.readPiece(piece));
    EXPECT_FALSE(f.readPiece(piece)) << "4 bytes left: no piece";
}

TEST_F(ServiceCommands, NetworkAddress) {
    start("qm41,myaddr=C8");
    ui.answer(Answer::Yes);
    ui.type("999");
    vx::shell::AddressResult r = vx::shell::networkAddress(nullptr);
    ASSERT_EQ(ui.inputs.size(), 1u);
    EXPECT_EQ(ui.inputs[0].preset, "200");
    EXPECT_TRUE(r.set);
    EXPECT_TRUE(sentHas("ATMY03E7\r"));
    EXPECT_EQ(flash().address(), 999);
    EXPECT_EQ(lastMessage(), "New Address = 999");

    start("qm41,fw=12");  // before v1.3 the logger answers ERR
    r = vx::shell::networkAddress(nullptr);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(lastMessage(),
              "Datalogger network address not readable !\r\n(It is required a FW version >= 1.3)");
}

TEST_F(ServiceCommands, EnergyAndDaysCounters) {
    const struct {
        const char* sim;
        const char* energyTyped;  // null: cancelled
        const char* daysTyped;
        bool daysAsked;
        const char* command;  // the last ATSE sent
    } cases[] = {
        {"vt71,energy=1234", "123.5", nullptr, true, "ATSE000004D3\r"},
        {"vt71,energy=1234", "123.4", nullptr, true, "ATSE000004D2\r"},  // the shown value keeps it
        {"vt71,energy=1234", nullptr, "0", true, "ATSEFFFFFFFF\r"},
        {"vt71,energy=1234", nullptr, "5", true, "ATSEFFFFFFFA\r"},
        {"vt71,energy=1234,fw=1F", "123.5", nullptr, false, "ATSE000004D3\r"},
        {"nod85,energy=1234", "0.1", nullptr, false, "ATSE00000001\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sim) + " " + (c.energyTyped ? c.energyTyped : "-"));
        start(c.sim);
        ui.inputs.clear();
        c.energyTyped ? ui.type(c.energyTyped) : ui.cancelInput();
        if (c.daysAsked) c.daysTyped ? ui.type(c.daysTyped) : ui.cancelInput();
        vx::shell::CounterResult r = vx::shell::energyCounters(nullptr);
        EXPECT_FALSE(r.failed);
        EXPECT_EQ(r.energy, 1234u);
        EXPECT_EQ(ui.inputs[0].preset, "123.4");
        EXPECT_EQ(ui.inputs[0].caption, "Energy Counter (kWh)");
        EXPECT_EQ(r.daysAsked, c.daysAsked);
        EXPECT_EQ(ui.inputs.size(), c.daysAsked ? 2u : 1u);
        const std::string s = sent();
        EXPECT_EQ(s.substr(s.rfind("ATSE")), c.command);
    }
}

TEST_F(ServiceCommands, FlashUploadStoppedAfter25Packets) {
    start("qm41");
    const std::string p = image(3 * 528);
    ui.answer(Answer::Yes);  // upload ?
    ui.chooseFile(p);
    ui.answer(Answer::Yes);  // 3 pages ?
    ui.stopAtPoll(25);
    ui.answer(Answer::Yes);  // abandon ?
    vx::shell::UploadResult r = vx::shell::uploadFlashImage(nullptr);
    EXPECT_EQ(r.kind, vx::shell::UploadResult::Kind::Stopped);
    EXPECT_EQ(r.pagesWritten, 2u);
    EXPECT_EQ(lastMessage(), "Upload incomplete !\r\n(Pages written: 2/3)");
    EXPECT_EQ(flash().packetsWritten(), 25u);
    EXPECT_FALSE(flash().uploading()) << "ATCM15 ends the mode";
}

TEST_F(ServiceCommands, FlashUploadWritesEveryPage) {
    start("qm41");
    const std::string p = image(2 * 528);
    ui.answer(Answer::Yes);
    ui.answer(Answer::Yes);
    vx::shell::UploadResult r = vx::shell::uploadFlashImage(nullptr, p);
    EXPECT_EQ(r.kind, vx::shell::UploadResult::Kind::Done);
    EXPECT_EQ(r.pagesWritten, 2u);
    EXPECT_EQ(ui.messages[1].text, "2 pages will be loaded into flash memory. Continue ?");
    std::ifstream f(p, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(flash().page(0)), 2 * 528), bytes);
    EXPECT_FALSE(flash().uploading());
    EXPECT_EQ(sent().substr(sent().size() - 7), "ATCM15\r");

    // Not supported before v1.8; a refused file leaves the upload mode.
    start("qm41,fw=17");
    ui.answer(Answer::Yes);
    EXPECT_EQ(vx::shell::uploadFlashImage(nullptr, p).kind, vx::shell::UploadResult::Kind::NotSupported);
    EXPECT_EQ(lastMessage(), "Flash Upload Mode not supported !\r\n(It is required a FW version >= 1.8)");
    start("qm41");
    ui.answer(Answer::Yes);
    EXPECT_EQ(vx::shell::uploadFlashImage(nullptr, image(527)).kind, vx::shell::UploadResult::Kind::NoFile);
    EXPECT_FALSE(flash().uploading());
}

TEST_F(ServiceCommands, FlashUploadLeavesTheModeWhateverTheLineDoes) {
    using Kind = vx::shell::UploadResult::Kind;
    const struct {
        const char* sim;
        Kind kind;
    } cases[] = {
        // The logger entered the mode but its "OK" was lost or spoilt.
        {"qm41,drop-nth=1,drop-on=ATCM14$", Kind::NotSupported},
        {"qm41,garble-nth=1,garble-on=ATCM14$", Kind::NotSupported},
        // A packet not answered, then the first "ATCM15" lost on the line.
        {"qm41,drop-nth=3,drop-on=ATCM14 packet,lose-nth=1,lose-on=ATCM15", Kind::Rejected},
    };
    const std::string p = image(2 * 528);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sim);
        start(c.sim);
        ui.answer(Answer::Yes);
        if (c.kind != Kind::NotSupported) ui.answer(Answer::Yes);
        EXPECT_EQ(vx::shell::uploadFlashImage(nullptr, p).kind, c.kind);
        EXPECT_FALSE(flash().uploading());
    }
}

TEST_F(ServiceCommands, ClearFlash) {
    start("qm41,clear-byte=none");
    ui.answer(Answer::Yes);
    EXPECT_EQ(vx::shell::clearFlash(nullptr), 0);
    EXPECT_EQ(ui.polls, vx::shell::kClearFlashAttempts);
    EXPECT_EQ(lastMessage(), "The procedure has not been successfully completed !");
    EXPECT_EQ(ui.messages.back().caption, "COM Error");
    EXPECT_FALSE(sentHas("ATCM06\r"));

    start("qm41,clear-ms=4000");
    ui.answer(Answer::Yes);
    EXPECT_EQ(vx::shell::clearFlash(nullptr), 1);
    EXPECT_TRUE(sentHas("ATCM09\rATCM06\r"));
    EXPECT_EQ(flash().clears(), 1u);
    EXPECT_EQ(flash().page(7)[0], 0xFF);
    EXPECT_EQ(Flag.table_error, 0) << "the new empty session is read";
    EXPECT_EQ(TotalNodeNum, 0u);
}

TEST_F(ServiceCommands, PagePointersAndOptionRegister) {
    start("qm41");
    PagTab = 5;
    PagLast = 9;
    ui.answer(Answer::Yes);
    ui.type("12");
    ui.cancelInput();
    EXPECT_EQ(vx::shell::pagePointers(nullptr), 1);
    EXPECT_EQ(ui.inputs[0].preset, "5");
    EXPECT_EQ(ui.inputs[1].preset, "9");
    EXPECT_EQ(ui.inputs[1].caption, "PAGE_LAST Address");
    EXPECT_TRUE(sentHas("ATPT000C\r"));
    EXPECT_FALSE(sentHas("ATPL"));
    EXPECT_EQ(flash().pageTab(vx::sim::findLogger(port->device())->session()), 12);

    start("vt71");
    ui.inputs.clear();
    ui.type("513");
    EXPECT_EQ(vx::shell::optionRegister(nullptr), 1);
    EXPECT_EQ(ui.inputs[0].preset, "0");
    const auto& img = vx::sim::findLogger(port->device())->eeprom();
    EXPECT_EQ(img[21] | img[22] << 8, 513);
    EXPECT_EQ(lastMessage(), "Parameter updated !\r\nNote: the value is written in volatile mode");
}

}  // namespace
}  // namespace vx::test
