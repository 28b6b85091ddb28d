// The protocol trace: the lines a scripted exchange on the fake port leaves (times on the
// port's virtual clock), that the program behaves the same with the trace on and off, and
// the archive writer read back by tar.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "link/com.h"
#include "link/trace.h"
#include "platform/tar_writer.h"
#include "shell/diagnose.h"
#include "shell/program_trace.h"
#include "sim/fake_serial_port.h"
#include "support/fixtures.h"
#include "ui/backend.h"

namespace {

using Pieces = std::vector<std::pair<int, std::string>>;  // bytes, each at its ms after the command

// Answers each command it knows with its scripted pieces.
class Replies : public vx::sim::Device {
  public:
    explicit Replies(std::map<std::string, Pieces> replies) : replies_(std::move(replies)) {}
    void receive(const uint8_t* data, size_t len, int64_t, vx::sim::Output& out) override {
        auto it = replies_.find(std::string(data, data + len));
        if (it == replies_.end()) return;
        for (const auto& [ms, text] : it->second) {
            vx::sim::Reply r;
            r.bytes.assign(text.begin(), text.end());
            r.delayNs = int64_t(ms) * 1000000;
            out.push(std::move(r));
        }
    }

  private:
    std::map<std::string, Pieces> replies_;
};

vx::sim::FakeSerialPort* gClockPort;
double virtualSeconds() {
    return gClockPort ? double(gClockPort->nowNs()) * 1e-9 : 0;
}

// What the program saw of an exchange: results, reply, outcome, bytes sent, time taken.
std::string outcome(int ret) {
    const vx::link::TxStatus& t = vx::link::lastTransaction();
    return "ret=" + std::to_string(ret) + " rx=" + std::string(rxText(), size_t(iRx)) +
           " error=" + std::to_string(int(t.error)) + " received=" + std::to_string(t.received);
}

std::string hexOf(const std::string& bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, " %02x", c);
        out += b;
    }
    return out;
}

using TraceTest = vx::test::ProgramTest;

TEST_F(TraceTest, AnExchangeLeavesItsLinesAndTheSameBehaviour) {
    const std::string block = std::string("\x00\xffOK", 4) + std::string(44, 'a');
    const struct {
        const char* what;
        std::map<std::string, Pieces> replies;
        std::function<std::string(vx::link::SerialPort*)> run;
        std::string lines;
    } cases[] = {
        {"text reply",
         {{"ATVR\r", {{5, "0020\r"}}}},
         [](vx::link::SerialPort* p) { return outcome(sendCOMMAND(p, "ATVR\r", 13)); },
         "0.000000 #1 ATVR (time-out 2000 ms)\n"
         "0.000000 #1 > \"ATVR\\r\"\n"
         "0.005000 #1 < \"0020\\r\"\n"
         "0.005000 #1 = OK, 4 bytes, 0.005000 s\n"},
        {"silent device",
         {},
         [](vx::link::SerialPort* p) { return outcome(sendCOMMAND(p, "ATVR\r", 13)); },
         "0.000000 #1 ATVR (time-out 2000 ms)\n"
         "0.000000 #1 > \"ATVR\\r\"\n"
         "2.000000 #1 = time-out, 0 bytes, 2.000000 s\n"},
        {"binary reply in full, in two pieces",
         {{"ATRD\r", {{1, block.substr(0, 20)}, {3, block.substr(20)}}}},
         [](vx::link::SerialPort* p) { return outcome(sendCOMMAND(p, "ATRD\r", 'L')); },
         "0.000000 #1 ATRD (time-out 2000 ms)\n"
         "0.000000 #1 > \"ATRD\\r\"\n"
         "0.001000 #1 < 48 bytes:" +
             hexOf(block) + " |..OK" + std::string(44, 'a') +
             "|\n"
             "0.003000 #1 = OK, 48 bytes, 0.003000 s\n"},
        {"ERR judged by the caller, then a second transaction",
         {{"ATCM08\r", {{0, "ERR\r"}}}, {"ATVR\r", {{0, "0020\r"}}}},
         [](vx::link::SerialPort* p) {
             hCom = p;
             std::string r = outcome(vx::link::requestOk("ATCM08\r"));
             return r + " " + outcome(sendCOMMAND(p, "ATVR\r", 13));
         },
         "0.000000 #1 ATCM08 (time-out 2000 ms)\n"
         "0.000000 #1 > \"ATCM08\\r\"\n"
         "0.000000 #1 < \"ERR\\r\"\n"
         "0.000000 #1 = OK, 3 bytes, 0.000000 s\n"
         "0.000000 #1 = ERR (the caller's verdict on the reply)\n"
         "0.000000 #2 ATVR (time-out 2000 ms)\n"
         "0.000000 #2 > \"ATVR\\r\"\n"
         "0.000000 #2 < \"0020\\r\"\n"
         "0.000000 #2 = OK, 4 bytes, 0.000000 s\n"},
        {"lines read straight from the port, outside any transaction",
         {{"ATCM07\r", {{10, "1;2\r\n"}, {10, "\"q\\"}}}},
         [](vx::link::SerialPort* p) {
             std::string r = outcome(sendCOMMAND(p, "ATCM07\r", NO_RX)) + " read=";
             uint8_t b;
             while (p->waitReadable(100))
                 while (p->readByte(b))
                     r += char(b);
             return r;
         },
         "0.000000 #1 ATCM07 (time-out 2000 ms)\n"
         "0.000000 #1 > \"ATCM07\\r\"\n"
         "0.000000 #1 = OK, 0 bytes, 0.000000 s\n"
         "0.010000 < \"1;2\\r\\n\\\"q\\\\\"\n"},
        {"port settings and a message box",
         {},
         [](vx::link::SerialPort* p) {
             p->configure(256000, false);
             vx::ui::message(nullptr, "Device not found !\r\n\r\n(BaudRate= 256000)", "COM Error",
                             vx::ui::Icon::Error);
             return std::string();
         },
         "0.000000 configure FAKE0 256000 baud 8N1, DTR/RTS off\n"
         "0.000000 message: \"Device not found !\\r\\n\\r\\n(BaudRate= 256000)\" [COM Error]\n"},
    };
    vx::shell::traceMessageBoxes();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string seen[2], written[2];
        int64_t took[2];
        std::string text;
        for (int on = 0; on < 2; ++on) {
            initVAR();
            Timeout_rx = TO_RX_SLOW;
            auto fake = std::make_unique<vx::sim::FakeSerialPort>(std::make_unique<Replies>(c.replies));
            vx::sim::FakeSerialPort& raw = *fake;
            gClockPort = &raw;
            vx::link::TraceLog log(nullptr, virtualSeconds);
            log.setCopy(&text);
            vx::link::setTrace(on ? &log : nullptr);
            std::unique_ptr<vx::link::SerialPort> port =
                on ? vx::link::tracedPort(std::move(fake))
                   : std::unique_ptr<vx::link::SerialPort>(std::move(fake));
            seen[on] = c.run(port.get());
            written[on] = raw.writtenText();
            took[on] = raw.nowNs();
            vx::link::setTrace(nullptr);
            hCom = nullptr;
            gClockPort = nullptr;
        }
        EXPECT_EQ(text, c.lines);
        EXPECT_EQ(seen[0], seen[1]);
        EXPECT_EQ(written[0], written[1]);
        EXPECT_EQ(took[0], took[1]);
    }
    vx::ui::setMessageObserver(nullptr);
}

TEST_F(TraceTest, PortsOpenedWhileTracingAreTracedToTheirClose) {
    std::string text;
    vx::link::TraceLog log(nullptr, virtualSeconds);
    log.setCopy(&text);
    vx::link::setTrace(&log);
    vx::link::PortFailure why;
    EXPECT_EQ(vx::link::openSerialPort("/nonexistent/ttyVX0", &why), nullptr);
    auto port = vx::link::tracedPort(std::make_unique<vx::sim::FakeSerialPort>(
        std::make_unique<Replies>(std::map<std::string, Pieces>{})));
    port.reset();
    vx::link::setTrace(nullptr);
    EXPECT_EQ(text, "0.000000 open /nonexistent/ttyVX0 failed: " + why.text +
                        "\n"
                        "0.000000 close FAKE0\n");
    EXPECT_FALSE(why.text.empty());
}

TEST(TraceSwitch, TakenOutOfTheArgumentsWhereverItStands) {
    using Args = std::vector<std::string>;
    const struct {
        Args args;
        Args rest;
        std::string file, error;
    } cases[] = {
        {{"identify", "--trace", "t.txt", "-p", "x"}, {"identify", "-p", "x"}, "t.txt", ""},
        {{"--trace=t.txt", "identify"}, {"identify"}, "t.txt", ""},
        {{"identify", "--", "--trace", "t.txt"}, {"identify", "--", "--trace", "t.txt"}, "", ""},
        {{"identify", "--trace"}, {"identify", "--trace"}, "", "--trace needs a file name"},
        {{"identify", "--trace="}, {"identify"}, "", "--trace: the file name is empty"},
        {{"--trace", "a", "--trace", "b"}, {}, "b", ""},
    };
    for (const auto& c : cases) {
        Args args = c.args;
        const vx::shell::TraceSwitch sw = vx::shell::takeTraceSwitch(args);
        if (c.error.empty()) {
            EXPECT_EQ(args, c.rest);
        }
        EXPECT_EQ(sw.file, c.file);
        EXPECT_EQ(sw.error, c.error);
    }
}

TEST(TraceMessages, OnlyTheMessageLinesOfATrace) {
    const std::string trace =
        "# command line: x message: no\n"
        "0.100000 #3 < \"message: no\\r\"\n"
        "1.500000 message: \"Device not found !\" [COM Error]\n"
        "2.000000 message: \"vendrix-cli identify: --baud 7: one of\" [usage error]";
    EXPECT_EQ(vx::shell::traceMessages(trace),
              "message: \"Device not found !\" [COM Error]\n"
              "message: \"vendrix-cli identify: --baud 7: one of\" [usage error]\n");
}

// Runs a command and returns what it printed.
std::string output(const std::string& command) {
    std::string out;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

TEST(TarWriter, MembersReadBackByTar) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() /
                         ("vxtar" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    const std::string fromDisk = dir / "source.bin";
    std::ofstream(fromDisk, std::ios::binary) << std::string(70000, 'd');
    const struct {
        std::string name, data;
        bool fromFile;
    } members[] = {
        {"empty.txt", "", false},
        {"one.txt", "x", false},
        {"block.bin", std::string(512, '\0'), false},
        {"over.bin", std::string(513, '\xb0'), false},
        {std::string(96, 'n') + ".txt", "a name of 100 bytes", false},
        {"copied.bin", std::string(70000, 'd'), true},
    };
    const std::string archive = dir / "a.tar";
    {
        vx::platform::AtomicFile f;
        ASSERT_TRUE(f.open(archive));
        vx::platform::TarWriter tar(f, 1700000000);
        for (const auto& m : members)
            ASSERT_TRUE(m.fromFile ? tar.addFile(m.name, fromDisk) : tar.add(m.name, m.data)) << tar.error();
        EXPECT_FALSE(tar.add(std::string(101, 'n'), "x"));
        EXPECT_EQ(tar.error(), std::string(101, 'n') + ": a member name of 1 to 100 bytes");
        ASSERT_TRUE(tar.finish());
        ASSERT_TRUE(f.commit());
    }
    EXPECT_EQ(fs::file_size(archive) % 512, 0u);
    // tar checks each header's checksum and says so when one is wrong.
    std::istringstream listing(output("tar --utc -tvf " + archive + " 2>&1"));
    for (const auto& m : members) {
        SCOPED_TRACE(m.name);
        std::string mode, owner, size, date, time, name;
        listing >> mode >> owner >> size >> date >> time >> name;
        EXPECT_EQ(mode, "-rw-r--r--");
        EXPECT_EQ(size, std::to_string(m.data.size()));
        EXPECT_EQ(date + " " + time, "2023-11-14 22:13");
        EXPECT_EQ(name, m.name);
        EXPECT_EQ(output("tar -xOf " + archive + " " + m.name), m.data);
    }
    std::string rest;
    EXPECT_FALSE(std::getline(listing >> std::ws, rest)) << rest;
    fs::remove_all(dir);
}

}  // namespace
