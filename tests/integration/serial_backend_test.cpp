// The serial backend that VENDRIX_SERIAL chooses (ctest runs these tests once for each)
// on a bare pseudo-terminal: what reaches the line's settings, what the program gets of
// the bytes that arrive, and when the port counts as gone.

#include <gtest/gtest.h>

#include "link/serial_port.h"
#include "support/pty_line.h"

namespace {

using vx::link::PortFailure;
using vx::test::PtyLine;

class SerialBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        open();
    }
    void open() {
        PortFailure why;
        port = vx::link::openSerialPort(pty.path(), &why);
        ASSERT_NE(port, nullptr) << why.text;
    }
    std::string take() {
        std::string got;
        uint8_t b;
        while (port->readByte(b))
            got += char(b);
        return got;
    }

    PtyLine pty;
    std::unique_ptr<vx::link::SerialPort> port;
};

TEST_F(SerialBackendTest, EveryOfferedRateReachesTheLineInRaw8N1) {
    // A line another program left cooked, 7E2, with both kinds of flow control.
    port.reset();
    termios2 spoiled = pty.settings();
    spoiled.c_iflag |= ICRNL | IXON | IXOFF | IXANY | ISTRIP;
    spoiled.c_oflag |= OPOST;
    spoiled.c_lflag |= ICANON | ECHO | ISIG;
    spoiled.c_cflag = (spoiled.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    spoiled.c_cc[VMIN] = 1;
    spoiled.c_cc[VTIME] = 5;
    pty.setSettings(spoiled);
    open();

    for (uint32_t baud : vx::link::kBaudRates) {
        SCOPED_TRACE(baud);
        PortFailure why;
        EXPECT_TRUE(port->configure(baud, true, &why)) << why.text;
        const termios2 t = pty.settings();
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
    }
}

TEST_F(SerialBackendTest, SettingsGivenBackRestoreTheRateTheyHad) {
    for (uint32_t had : {9600u, 14400u, 256000u}) {
        SCOPED_TRACE(had);
        ASSERT_TRUE(port->configure(had, false));
        const vx::link::PortState saved = port->state();
        ASSERT_TRUE(saved.valid());
        ASSERT_TRUE(port->configure(57600, true));
        port->setState(saved);
        EXPECT_EQ(pty.settings().c_ospeed, had);
    }
}

TEST_F(SerialBackendTest, BytesThatArriveDuringAWriteAreAtHandAtOnce) {
    ASSERT_TRUE(port->configure(115200, true));
    pty.send("X");
    const uint8_t cmd[] = {'A', 'T', 'V', 'R', '\r'};
    ASSERT_EQ(port->write(cmd, sizeof cmd), sizeof cmd);
    // Whatever the write fetched on its way already counts: nothing new has to come.
    EXPECT_TRUE(port->waitReadable(500));
    EXPECT_EQ(take(), "X");
}

TEST_F(SerialBackendTest, DiscardDropsEveryByteReceivedSoFar) {
    ASSERT_TRUE(port->configure(115200, true));
    const uint8_t one = '1';
    for (bool fetched : {false, true}) {
        SCOPED_TRACE(fetched ? "fetched by a wait" : "still with the driver or fetched by a write");
        pty.send("JUNK");
        if (fetched) {
            ASSERT_TRUE(port->waitReadable(500));
        } else {
            ASSERT_EQ(port->write(&one, 1), 1u);
        }
        port->discardInput();
        EXPECT_FALSE(port->waitReadable(0));
        pty.send("OK\r");
        ASSERT_TRUE(port->waitReadable(500));
        EXPECT_EQ(take(), "OK\r");
    }
}

TEST_F(SerialBackendTest, HungUpLineIsGoneForGood) {
    ASSERT_TRUE(port->configure(115200, true));
    EXPECT_FALSE(port->gone());
    pty.hangUp();
    EXPECT_FALSE(port->waitReadable(100));
    EXPECT_TRUE(port->gone());
    const uint8_t cmd[] = {'A', 'T', '\r'};
    EXPECT_LT(port->write(cmd, sizeof cmd), sizeof cmd);
    EXPECT_FALSE(port->waitReadable(0));
    EXPECT_TRUE(port->gone());
}

}  // namespace
