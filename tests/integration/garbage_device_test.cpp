// A device that answers every command with garbage: the session reading and the download
// end in their messages or results, never in a crash, a hang or a write out of bounds.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "link/com.h"
#include "session/download.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "support/fixtures.h"
#include "support/pty_peer.h"
#include "ui/wait_window.h"

namespace {

using vx::test::PtyPeer;

class GarbageDeviceTest : public vx::test::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ui.onUnexpected = nullptr;  // every question is answered No / Cancel
        char tmpl[] = "/tmp/vxgarbageXXXXXX";
        dir_ = mkdtemp(tmpl);
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        closePort(hCom);
        hCom = nullptr;
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
        vx::ui::setBackend(nullptr);
    }
    std::filesystem::path dir_, old_;
};

// Replies of every shape: hex-looking lines of the wrong length, "OK" followed by junk,
// binary blocks with and without carriage returns, over-long lines, silence.
std::string garbage(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 6), len(0, 600), byte(0, 255);
    std::string out;
    switch (kind(rng)) {
        case 0:
            return "OK" + std::string(size_t(len(rng) % 8), 'Z') + "\r";
        case 1:
            return "FFFF\r";
        case 2:
            return std::string(size_t(len(rng) % 5), '9') + "\r";
        case 3:
            return "";
        default:
            for (int n = len(rng); n > 0; --n)
                out += char(byte(rng));
            return out;
    }
}

TEST_F(GarbageDeviceTest, SessionReadingAndDownloadSurvive) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        initVAR();
        std::mt19937 rng(seed);
        PtyPeer peer([&rng](const std::string&) { return garbage(rng); });
        hCom = openPort(peer.path().c_str());
        ASSERT_NE(hCom, nullptr);
        initCOM(hCom);
        Timeout_rx = 50;
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        EXPECT_EQ(hDlgWait, nullptr);
        EXPECT_LE(TotalNodeNum, MAX_NODES);
        Tsample = 1;
        TotalPagNumDload = TotalPagNum < 3 ? TotalPagNum : 3;  // keep the run short
        if (TotalPagNumDload < TotalPagNum) ui.answer(vx::ui::Answer::Yes);
        std::filesystem::remove("garbage_table");
        int32_t ok = saveFile(nullptr, "garbage_table");
        EXPECT_FALSE(std::filesystem::exists("QM41data.hex"));
        EXPECT_FALSE(std::filesystem::exists("garbage_table.part"));
        if (!ok) {
            EXPECT_FALSE(std::filesystem::exists("garbage_table"));
        }
        closePort(hCom);
        hCom = nullptr;
    }
}

}  // namespace
