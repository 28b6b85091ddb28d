// The firmware loader against a simulated QM43 in its boot loader: the boot version shown
// at opening, a file refused and one accepted, and the upload that closes the window.

#include <QLabel>
#include <filesystem>
#include <fstream>

#include "boards/powerone_crc.h"
#include "gui_helpers.h"
#include "link/com.h"
#include "loader/firmware_file.h"
#include "loader/loader_state.h"
#include "loader/windows/loader_dialog.h"
#include "sim/firmware_upload.h"
#include "state/flags.h"

namespace vx::test {
namespace {

std::string firmwareText(int records) {
    std::string s = "FWBx21\r\n";
    for (int k = 0; k < records; ++k) {
        uint8_t rec[34];
        for (int j = 0; j < 32; ++j)
            rec[j] = uint8_t(k * 32 + j);
        crc_powerone(rec, 32);
        char h[3];
        for (uint8_t b : rec)
            s += (std::snprintf(h, sizeof h, "%02X", b), h);
        s += "\r\n";
    }
    return s;
}

class LoaderDialogTest : public SimLoggerTest {};

TEST_F(LoaderDialogTest, BootLoaderUploadClosesWithTwo) {
    ASSERT_TRUE(connect("qm43boot"));
    std::ofstream(dir_ / "odd.fw", std::ios::binary) << firmwareText(3);
    std::ofstream(dir_ / "ok.fw", std::ios::binary) << firmwareText(4);
    vx::loader::LoaderDialog dlg(nullptr);
    auto* board = control<QLabel>(&dlg, "ID_TXT_LDSCHEDA");
    auto* version = control<QLabel>(&dlg, "ID_TXT_LDFW");
    auto* run = control<QPushButton>(&dlg, "ID_BTN_LDRUN");
    EXPECT_EQ(board->text(), "QM43");
    EXPECT_EQ(version->text(), "Boot v.1.2");
    EXPECT_FALSE(run->isEnabled());

    ui.chooseFile((dir_ / "odd.fw").string());
    control<QPushButton>(&dlg, "ID_BTN_LDOPEN")->click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "File error");
    EXPECT_EQ(ui.messages[0].text.rfind("File sorgente non valido !", 0), 0u);
    EXPECT_FALSE(run->isEnabled());
    EXPECT_TRUE(board->text().isEmpty());

    ui.chooseFile((dir_ / "ok.fw").string());
    control<QPushButton>(&dlg, "ID_BTN_LDOPEN")->click();
    EXPECT_TRUE(run->isEnabled());
    EXPECT_EQ(board->text(), "QM43");
    EXPECT_EQ(version->text(), "2.1");

    ui.answer(vx::ui::Answer::Yes);
    run->click();
    EXPECT_EQ(dlg.result(), 2);
    EXPECT_EQ(ui.messages.back().text, "Upload finished successfully !");
    // The final sequence is sent without an answer: give the simulator's thread time to take it.
    auto ended = [&] {
        bool e = false;
        server->withDevice([&](vx::sim::Device& d) {
            auto* boot = vx::sim::findBootFlasher(d);
            e = boot && boot->ended();
        });
        return e;
    };
    EXPECT_TRUE(QTest::qWaitFor(ended, 10000));
    server->withDevice([](vx::sim::Device& d) {
        auto* boot = vx::sim::findBootFlasher(d);
        ASSERT_TRUE(boot);
        EXPECT_EQ(boot->blocks().size(), 2u);
    });
}

// Alt+E dumps the board's EEPROM, Alt+C compares the dump with the loaded firmware file (made
// of the EEPROM's lines after its first 256 bytes, as the simulated board starts).
TEST_F(LoaderDialogTest, EepromDumpAndCompareKeys) {
    ASSERT_TRUE(connect("vt71"));
    File_ee.clear();
    File_fw.clear();
    std::string fw = "FW5x13\r\n";
    for (int k = 0; k < 4; ++k) {
        uint8_t rec[34];
        for (int j = 0; j < 32; ++j)
            rec[j] = vx::sim::initialI2cEepromByte(size_t(256 + 32 * k + j));
        crc_powerone(rec, 32);
        char h[3];
        for (uint8_t b : rec)
            fw += (std::snprintf(h, sizeof h, "%02X", b), h);
        fw += "\r\n";
    }
    std::ofstream(dir_ / "match.fw", std::ios::binary) << fw;
    vx::loader::LoaderDialog dlg(nullptr);
    QTest::keyClick(&dlg, Qt::Key_C, Qt::AltModifier);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Per il eseguire la verifica", 0), 0u);

    const std::string dump = (dir_ / "board.ee").string();
    ui.answer(vx::ui::Answer::Yes);  // download
    ui.chooseFile(dump);
    ui.answer(vx::ui::Answer::Yes);  // FAST
    QTest::keyClick(&dlg, Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(ui.messages.back().text, "Data saved into file " + dump);
    EXPECT_EQ(ui.messages.back().caption, "Info");

    ui.chooseFile((dir_ / "match.fw").string());
    control<QPushButton>(&dlg, "ID_BTN_LDOPEN")->click();
    ui.answer(vx::ui::Answer::Yes);  // compare
    QTest::keyClick(&dlg, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(ui.messages.back().text, "Data are identical !");
}

}  // namespace
}  // namespace vx::test
