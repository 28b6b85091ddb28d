// How opening a port goes with the backend that VENDRIX_SERIAL chooses (ctest runs these
// tests once for each): which names reach which device, and what the user is told when
// a port cannot be had.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "link/port_failure.h"
#include "link/serial_port.h"
#include "support/pty_line.h"

namespace {

namespace fs = std::filesystem;
using vx::link::PortFailure;
using Kind = vx::link::PortFailure::Kind;
using vx::test::PtyLine;

class SerialBackendOpenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxopenXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        old = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(old);
        fs::remove_all(dir);
    }
    fs::path dir, old;
};

TEST_F(SerialBackendOpenTest, FailuresSayWhy) {
    std::ofstream(dir / "file") << "not a port";
    fs::create_directory(dir / "folder");
    const std::string d = dir.string();
    struct Case {
        const char* what;
        std::string name;
        Kind kind;
        std::string text;  // the whole text, or its beginning where the system words the rest
    };
    const Case cases[] = {
        {"missing path", d + "/absent", Kind::NotFound, "no such port: " + d + "/absent"},
        {"bare name of no device", "vx-absent-port", Kind::NotFound, "no such port: /dev/vx-absent-port"},
        {"no name", "", Kind::NotFound, "no port name given"},
        {"regular file", d + "/file", Kind::NotSerial, d + "/file is not a serial port"},
        {"bare name of a device that is no port", "null", Kind::NotSerial, "/dev/null is not a serial port"},
        {"folder", d + "/folder", Kind::Other, "cannot open " + d + "/folder: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PortFailure why;
        EXPECT_EQ(vx::link::openSerialPort(c.name, &why), nullptr);
        EXPECT_EQ(why.kind, c.kind);
        EXPECT_EQ(why.text.substr(0, c.text.size()), c.text);
        if (c.kind != Kind::Other) {
            EXPECT_EQ(why.text, c.text);
        }
    }
}

TEST_F(SerialBackendOpenTest, FileThisUserMayNotOpenIsAMatterOfPermission) {
    if (geteuid() == 0) GTEST_SKIP() << "root may open any file";
    const std::string path = (dir / "locked").string();
    std::ofstream(path) << "";
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    PortFailure why;
    EXPECT_EQ(vx::link::openSerialPort(path, &why), nullptr);
    EXPECT_EQ(why.kind, Kind::Permission);
    EXPECT_EQ(why.text.rfind("permission denied on " + path, 0), 0u) << why.text;
}

TEST_F(SerialBackendOpenTest, PortHeldByAnotherOpenerIsBusyUntilItLetsGo) {
    using Opener = std::unique_ptr<vx::link::SerialPort> (*)(const std::string&, PortFailure*);
    const std::pair<const char*, Opener> holders[] = {
        {"held through termios", vx::link::openPosixSerialPort},
        {"held through QSerialPort", vx::link::openQtSerialPort}};
    for (auto [what, open] : holders) {
        SCOPED_TRACE(what);
        PtyLine pty;
        auto held = open(pty.path(), nullptr);
        ASSERT_NE(held, nullptr);
        PortFailure why;
        EXPECT_EQ(vx::link::openSerialPort(pty.path(), &why), nullptr);
        EXPECT_EQ(why.kind, Kind::Busy);
        EXPECT_EQ(why.text, pty.path() + " is busy: another program holds it");
        held.reset();
        EXPECT_NE(vx::link::openSerialPort(pty.path(), &why), nullptr) << why.text;
    }
}

TEST_F(SerialBackendOpenTest, NamesWithAFolderAreOpenedAsGiven) {
    PtyLine pty;
    ASSERT_TRUE(pty.ok());
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
        auto port = vx::link::openSerialPort(name, &why);
        ASSERT_NE(port, nullptr) << why.text;
        EXPECT_EQ(port->name(), name);
        ASSERT_TRUE(port->configure(baud, false, &why)) << why.text;
        EXPECT_EQ(pty.settings().c_ospeed, baud);  // the pty behind the link, nothing else
    }
}

TEST(SerialBackendTextTest, PermissionTextNamesTheGroupToJoin) {
    const std::pair<const char*, const char*> cases[] = {
        {"dialout",
         "permission denied on /dev/ttyUSB0: it belongs to group dialout; add your user to that group "
         "(sudo usermod -aG dialout $USER) and log in again"},
        {"", "permission denied on /dev/ttyUSB0"},
        {"root", "permission denied on /dev/ttyUSB0"},
    };
    for (auto [group, text] : cases) {
        SCOPED_TRACE(group);
        PortFailure f = vx::link::openFailure(Kind::Permission, "/dev/ttyUSB0", group);
        EXPECT_EQ(f.kind, Kind::Permission);
        EXPECT_EQ(f.text, text);
    }
}

TEST(SerialBackendTextTest, RateReadBackWithinTwoPercentIsTaken) {
    struct Case {
        uint32_t wanted, got;
        bool taken;
        const char* text;
    };
    const Case cases[] = {
        {256000, 230400, false, "the driver of /dev/ttyUSB0 does not take 256000 baud (it set 230400)"},
        {115200, 115384, true, ""},  // an adapter's clock divider
        {14400, 14688, true, ""},
        {14400, 14689, false, "the driver of /dev/ttyUSB0 does not take 14400 baud (it set 14689)"},
        {128000, 0, false, "the driver of /dev/ttyUSB0 does not take 128000 baud"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.got);
        EXPECT_EQ(vx::link::rateTaken(c.wanted, c.got), c.taken);
        if (!c.taken) {
            EXPECT_EQ(vx::link::rateRefused("/dev/ttyUSB0", c.wanted, c.got).text, c.text);
        }
    }
}

}  // namespace
