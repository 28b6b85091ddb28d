// Serial ports through QSerialPort: the backend of Windows, chosen elsewhere with
// VENDRIX_SERIAL=qt. It behaves as the POSIX backend does: a small input buffer of its
// own that hands bytes out one at a time, waits that never spin, the rate read back.
//
// No event loop has to run: every wait is one of QSerialPort's waitFor calls. Without a
// QCoreApplication the port still works, but Qt warns once for each of its socket
// notifiers that the thread has no event dispatcher, so the programs create one.

#include <QSerialPort>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "link/port_failure.h"
#include "link/port_path.h"
#include "link/qt_line_state.h"
#include "link/serial_port.h"
#include "platform/device_file.h"

#ifdef __linux__
#include "link/posix_line.h"
#endif

namespace vx::link {
namespace {

using Kind = PortFailure::Kind;

constexpr uint64_t kStallMs = 1000;  // a line that takes nothing for this long fails the write

class QtSerialPort final : public SerialPort {
  public:
    QtSerialPort(std::unique_ptr<QSerialPort> port, std::string name)
        : port_(std::move(port)), name_(std::move(name)) {}

    const std::string& name() const override { return name_; }

    PortState state() override {
        if (!port_->isOpen()) return {};
        QtLineSettings s;
        s.baud = uint32_t(std::max<qint32>(port_->baudRate(), 0));
        s.dataBits = uint8_t(port_->dataBits());
        s.parity = uint8_t(port_->parity());
        s.stopBits = uint8_t(port_->stopBits());
        s.flowControl = uint8_t(port_->flowControl());
        s.dtr = port_->isDataTerminalReady();
        s.rts = port_->isRequestToSend();
        port_->clearError();  // a pty has no modem lines to read
        return {encodeLineSettings(s)};
    }

    void setState(const PortState& st) override {
        QtLineSettings s;
        if (!port_->isOpen() || !decodeLineSettings(st.native, s)) return;
        port_->setDataBits(QSerialPort::DataBits(s.dataBits));
        port_->setParity(QSerialPort::Parity(s.parity));
        port_->setStopBits(QSerialPort::StopBits(s.stopBits));
        port_->setBaudRate(qint32(s.baud));
        // The modem lines before the flow control: RTS cannot be set under hardware control.
        port_->setDataTerminalReady(s.dtr);
        port_->setRequestToSend(s.rts);
        port_->setFlowControl(QSerialPort::FlowControl(s.flowControl));
        port_->clearError();
    }

    bool configure(uint32_t baud, bool dtrRtsOn, PortFailure* why) override {
        port_->setDataBits(QSerialPort::Data8);
        port_->setParity(QSerialPort::NoParity);
        port_->setStopBits(QSerialPort::OneStop);
        port_->setFlowControl(QSerialPort::NoFlowControl);
        const bool set = port_->setBaudRate(qint32(baud));
        uint32_t got = uint32_t(std::max<qint32>(port_->baudRate(), 0));
#ifdef __linux__
        // QSerialPort only remembers what it asked for; the driver says what it made.
        if (uint32_t held = posix::lineRate(int(port_->handle()))) got = held;
#endif
        port_->setDataTerminalReady(dtrRtsOn);
        port_->setRequestToSend(dtrRtsOn);
        port_->clearError();  // the modem lines cannot be set on a pty
        if (set && rateTaken(baud, got)) return true;
        if (why) *why = rateRefused(portPath(name_), baud, got);
        return false;
    }

    void discardInput() override {
        head_ = tail_ = 0;
        port_->clear(QSerialPort::Input);  // the driver's bytes and QSerialPort's buffer
    }

    size_t write(const uint8_t* data, size_t len) override {
        if (dead_ || len == 0) return 0;
        if (port_->write(reinterpret_cast<const char*>(data), qint64(len)) != qint64(len)) return 0;
        uint64_t progress = nowMs();
        for (qint64 left = port_->bytesToWrite(); left > 0 && !dead_; left = port_->bytesToWrite()) {
            port_->clearError();
            if (!port_->waitForBytesWritten(int(kStallMs)) && port_->error() != QSerialPort::TimeoutError) {
                noteFailure();
                break;
            }
            if (port_->bytesToWrite() < left) {
                progress = nowMs();
            } else if (nowMs() - progress >= kStallMs) {
                break;
            }
        }
        // What the line did not take is not sent later behind the caller's back.
        const size_t left = size_t(port_->bytesToWrite());
        if (left > 0) port_->clear(QSerialPort::Output);
        return len - left;
    }

    bool readByte(uint8_t& b) override {
        if (head_ == tail_) return false;
        b = buf_[head_++];
        return true;
    }

    bool gone() const override {
        return dead_ || !port_->isOpen();
    }

    bool waitReadable(int timeoutMs) override {
        if (head_ != tail_) return true;
        if (gone()) {
            sleepMs(uint32_t(timeoutMs < 0 ? 0 : timeoutMs));
            return false;
        }
        // waitForReadyRead waits for bytes newer than those QSerialPort already holds.
        if (port_->bytesAvailable() == 0) {
            port_->clearError();
            if (!port_->waitForReadyRead(timeoutMs < 0 ? 0 : timeoutMs)) {
                noteFailure();
                return false;
            }
        }
        head_ = 0;
        const qint64 n = port_->read(reinterpret_cast<char*>(buf_), qint64(sizeof buf_));
        tail_ = n > 0 ? size_t(n) : 0;
        return tail_ > 0;
    }

  private:
    // After a failed wait: a read that found the end of the file (a hung-up terminal) or
    // lost the device means nothing will ever arrive again.
    void noteFailure() {
        const QSerialPort::SerialPortError e = port_->error();
        if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError || !port_->isOpen()) dead_ = true;
    }

    std::unique_ptr<QSerialPort> port_;
    std::string name_;
    uint8_t buf_[4096];
    size_t head_ = 0, tail_ = 0;
    bool dead_ = false;
};

// QSerialPort maps a bare name to the platform's device itself, but takes as a path only
// a name that begins with "/", "./" or "../": any other path is made absolute.
QString qtPortName(const std::string& name) {
#ifndef _WIN32
    if (name.find('/') != std::string::npos) {
        std::error_code ec;
        std::filesystem::path p = std::filesystem::absolute(name, ec);
        if (!ec) return QString::fromLocal8Bit(p.c_str());
    }
#endif
    return QString::fromLocal8Bit(name.c_str());
}

PortFailure openError(const QSerialPort& port, const std::string& path) {
    switch (port.error()) {
        case QSerialPort::DeviceNotFoundError:
            return openFailure(Kind::NotFound, path);
        case QSerialPort::PermissionError:
            // Also QSerialPort's word for a lock file another process holds and for a
            // device another opener keeps exclusive: only a file this process may not
            // open is a matter of permissions.
            if (platform::fileReadWritable(path)) return openFailure(Kind::Busy, path);
            return openFailure(Kind::Permission, path, platform::fileGroup(path));
        case QSerialPort::UnsupportedOperationError:  // the terminal calls failed on it
            return openFailure(Kind::NotSerial, path);
        default:
            return openFailure(Kind::Other, path, port.errorString().toLocal8Bit().toStdString());
    }
}

}  // namespace

std::unique_ptr<SerialPort> openQtSerialPort(const std::string& name, PortFailure* why) {
    const std::string path = portPath(name);
    PortFailure failure;
    auto port = std::make_unique<QSerialPort>();
    if (path.empty()) {
        failure = openFailure(Kind::NotFound, path);
    } else {
        port->setPortName(qtPortName(name));
        if (!port->open(QIODevice::ReadWrite)) {
            failure = openError(*port, path);
#ifndef _WIN32
        } else if (const int err = platform::lockExclusive(int(port->handle())); err != 0) {
            // QSerialPort's lock file keeps out only programs that look for lock files;
            // the device itself is locked as the POSIX backend locks it, so that each
            // backend sees a port the other holds.
            failure = err == EWOULDBLOCK ? openFailure(Kind::Busy, path)
                                         : openFailure(Kind::Other, path, std::strerror(err));
#endif
        } else {
            return std::make_unique<QtSerialPort>(std::move(port), name);
        }
    }
    if (why) *why = failure;
    return nullptr;
}

}  // namespace vx::link
