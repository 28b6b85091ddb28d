// The serial backend that VENDRIX_SERIAL chooses (ctest runs these tests once for each) on
// a bare pseudo-terminal: which names reach which device, what the user is told when a port
// cannot be had, what reaches the line's settings and what the program gets of the bytes
// that arrive, and when the port counts as gone.

#include <asm/termbits.h>  // termios2; <termios.h> defines the same names and must stay out
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "link/port_failure.h"
#include "link/serial_port.h"
#include "support/pty_peer.h"

namespace {

namespace fs = std::filesystem;
using vx::link::PortFailure;
using Kind = vx::link::PortFailure::Kind;

// The program's port on a bare pseudo-terminal. The test holds the line's own side open
// too, to read its settings as the driver holds them (termios2: the rate as a number) and
// to see when bytes sent to the program have arrived.
class SerialBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        line = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(line, 0) << pty.path();
        char tmpl[] = "/tmp/vxserialXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        old = fs::current_path();
    }
    void TearDown() override {
        port.reset();
        close(line);
        fs::current_path(old);
        fs::remove_all(dir);
    }
    void open() {
        PortFailure why;
        port = vx::link::openSerialPort(pty.path(), &why);
        ASSERT_NE(port, nullptr) << why.text;
    }
    termios2 settings() const {
        termios2 t{};
        ioctl(line, TCGETS2, &t);
        return t;
    }
    // Sends bytes to the program and waits until its side of the line holds them.
    void send(const std::string& bytes) {
        auto pending = [this] {
            int n = 0;
            ioctl(line, FIONREAD, &n);
            return n;
        };
        const int before = pending();
        pty.send(bytes);
        for (int i = 0; i < 1000 && pending() < before + int(bytes.size()); ++i)
            poll(nullptr, 0, 1);
    }
    std::string take() {
        std::string got;
        for (uint8_t b; port->readByte(b);)
            got += char(b);
        return got;
    }

    vx::test::PtyPeer pty;
    int line = -1;
    fs::path dir, old;
    std::unique_ptr<vx::link::SerialPort> port;
};

TEST_F(SerialBackendTest, OpeningFailuresSayWhy) {
    std::ofstream(dir / "file") << "not a port";
    fs::create_directory(dir / "folder");
    const std::string d = dir.string();
    struct Case {
        const char* what;
        std::string name;
        Kind kind;
        std::string text;  // the whole text, or its beginning where the system words the rest
    };
    std::vector<Case> cases = {
        {"missing path", d + "/absent", Kind::NotFound, "no such port: " + d + "/absent"},
        {"bare name of no device", "vx-absent-port", Kind::NotFound, "no such port: /dev/vx-absent-port"},
        {"no name", "", Kind::NotFound, "no port name given"},
        {"regular file", d + "/file", Kind::NotSerial, d + "/file is not a serial port"},
        {"bare name of a device that is no port", "null", Kind::NotSerial, "/dev/null is not a serial port"},
        {"folder", d + "/folder", Kind::Other, "cannot open " + d + "/folder: "},
    };
    if (geteuid() != 0) {  // root may open any file
        std::ofstream(dir / "locked") << "";
        ASSERT_EQ(chmod((dir / "locked").c_str(), 0), 0);
        cases.push_back({"file this user may not open", d + "/locked", Kind::Permission,
                         "permission denied on " + d + "/locked"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PortFailure why;
        EXPECT_EQ(vx::link::openSerialPort(c.name, &why), nullptr);
        EXPECT_EQ(why.kind, c.kind);
        EXPECT_EQ(why.text.substr(0, c.text.size()), c.text);
        if (c.kind == Kind::NotFound || c.kind == Kind::NotSerial) {
            EXPECT_EQ(why.text, c.text);
        }
    }
}

TEST_F(SerialBackendTest, PortHeldByEitherBackendIsBusyUntilItLetsGo) {
    using Opener = std::unique_ptr<vx::link::SerialPort> (*)(const std::string&, PortFailure*);
    for (Opener holder : {vx::link::openPosixSerialPort, vx::link::openQtSerialPort}) {
        SCOPED_TRACE(holder == vx::link::openPosixSerialPort ? "held through termios"
                                                             : "held through QSerialPort");
        auto held = holder(pty.path(), nullptr);
        ASSERT_NE(held, nullptr);
        PortFailure why;
        EXPECT_EQ(vx::link::openSerialPort(pty.path(), &why), nullptr);
        EXPECT_EQ(why.kind, Kind::Busy);
        EXPECT_EQ(why.text, pty.path() + " is busy: another program holds it");
        held.reset();
        EXPECT_NE(vx::link::openSerialPort(pty.path(), &why), nullptr) << why.text;
    }
}

TEST_F(SerialBackendTest, NamesWithAFolderAreOpenedAsGiven) {
    fs::create_directory(dir / "sub");
    fs::create_symlink(pty.path(), dir / "link-to-pty");
    fs::create_symlink(pty.path(), dir / "sub" / "link-to-pty");
    fs::current_path(dir);
    const std::pair<std::string, uint32_t> names[] = {
        {"./link-to-pty", 14400},
        {"sub/link-to-pty", 56000},
        {"../" + dir.filename().string() + "/link-to-pty", 128000},
    };
    for (const auto& [name, baud] : names) {
        SCOPED_TRACE(name);
        PortFailure why;
        port = vx::link::openSerialPort(name, &why);
        ASSERT_NE(port, nullptr) << why.text;
        EXPECT_EQ(port->name(), name);
        ASSERT_TRUE(port->configure(baud, false, &why)) << why.text;
        EXPECT_EQ(settings().c_ospeed, baud);  // the pty behind the link, nothing else
        port.reset();
    }
}

TEST_F(SerialBackendTest, EveryOfferedRateReachesTheLineInRaw8N1AndGivenBackSettingsRestoreIt) {
    // A line another program left cooked, 7E2, with both kinds of flow control.
    termios2 spoiled = settings();
    spoiled.c_iflag |= ICRNL | IXON | IXOFF | IXANY | ISTRIP;
    spoiled.c_oflag |= OPOST;
    spoiled.c_lflag |= ICANON | ECHO | ISIG;
    spoiled.c_cflag = (spoiled.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    spoiled.c_cc[VMIN] = 1;
    spoiled.c_cc[VTIME] = 5;
    ioctl(line, TCSETS2, &spoiled);
    open();
    for (uint32_t baud : vx::link::kBaudRates) {
        SCOPED_TRACE(baud);
        PortFailure why;
        EXPECT_TRUE(port->configure(baud, true, &why)) << why.text;
        const termios2 t = settings();
        EXPECT_EQ(t.c_ospeed, baud);
        EXPECT_EQ(t.c_ispeed, baud);
        // Rates <termios.h> can name keep their code, for programs that read the line so.
        const bool named = baud != 14400 && baud != 56000 && baud != 128000 && baud != 256000;
        EXPECT_EQ((t.c_cflag & CBAUD) != BOTHER, named);
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CREAD | CLOCAL),
                  unsigned(CS8 | CREAD | CLOCAL));
        EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | IXANY | ISTRIP), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_cc[VMIN], 0);
        EXPECT_EQ(t.c_cc[VTIME], 0);
        // Settings saved at this rate and given back after a change restore it.
        const vx::link::PortState saved = port->state();
        ASSERT_TRUE(saved.valid());
        ASSERT_TRUE(port->configure(baud == 57600 ? 9600 : 57600, true));
        port->setState(saved);
        EXPECT_EQ(settings().c_ospeed, baud);
    }
}

TEST_F(SerialBackendTest, BytesReceivedAreAtHandUntilDiscarded) {
    open();
    ASSERT_TRUE(port->configure(115200, true));
    const uint8_t cmd[] = {'A', 'T', 'V', 'R', '\r'};
    // Bytes that came before a write count after it: nothing new has to come.
    send("X");
    ASSERT_EQ(port->write(cmd, sizeof cmd), sizeof cmd);
    EXPECT_TRUE(port->waitReadable(500));
    EXPECT_EQ(take(), "X");
    // A discard drops them wherever they wait.
    for (int where : {0, 1, 2}) {  // with the driver, caught by a write, fetched by a wait
        SCOPED_TRACE(where);
        send("JUNK");
        ASSERT_TRUE(where != 1 || port->write(cmd, 1) == 1u);
        ASSERT_TRUE(where != 2 || port->waitReadable(500));
        port->discardInput();
        EXPECT_FALSE(port->waitReadable(0));
        send("OK\r");
        ASSERT_TRUE(port->waitReadable(500));
        EXPECT_EQ(take(), "OK\r");
    }
}

TEST_F(SerialBackendTest, HungUpLineIsGoneForGood) {
    open();
    ASSERT_TRUE(port->configure(115200, true));
    EXPECT_FALSE(port->gone());
    pty.vanish();
    EXPECT_FALSE(port->waitReadable(100));
    EXPECT_TRUE(port->gone());
    const uint8_t cmd[] = {'A', 'T', '\r'};
    EXPECT_LT(port->write(cmd, sizeof cmd), sizeof cmd);
    EXPECT_FALSE(port->waitReadable(0));
    EXPECT_TRUE(port->gone());
}

TEST(SerialBackendTextTest, PermissionNamesTheGroupToJoinAndARateMustBeReadBackWithinTwoPercent) {
    const std::pair<const char*, const char*> groups[] = {
        {"dialout",
         "permission denied on /dev/ttyUSB0: it belongs to group dialout; add your user to that group "
         "(sudo usermod -aG dialout $USER) and log in again"},
        {"", "permission denied on /dev/ttyUSB0"},
        {"root", "permission denied on /dev/ttyUSB0"},
    };
    for (auto [group, text] : groups) {
        PortFailure f = vx::link::openFailure(Kind::Permission, "/dev/ttyUSB0", group);
        EXPECT_EQ(f.kind, Kind::Permission);
        EXPECT_EQ(f.text, text);
    }
    const struct {
        uint32_t wanted, got;
        const char* refused;  // the text, nullptr when the rate is taken
    } rates[] = {
        {256000, 230400, "the driver of /dev/ttyUSB0 does not take 256000 baud (it set 230400)"},
        {115200, 115384, nullptr},  // an adapter's clock divider
        {14400, 14688, nullptr},
        {14400, 14689, "the driver of /dev/ttyUSB0 does not take 14400 baud (it set 14689)"},
        {128000, 0, "the driver of /dev/ttyUSB0 does not take 128000 baud"},
    };
    for (const auto& c : rates) {
        SCOPED_TRACE(c.got);
        EXPECT_EQ(vx::link::rateTaken(c.wanted, c.got), c.refused == nullptr);
        if (c.refused) {
            EXPECT_EQ(vx::link::rateRefused("/dev/ttyUSB0", c.wanted, c.got).text, c.refused);
        }
    }
}

}  // namespace
