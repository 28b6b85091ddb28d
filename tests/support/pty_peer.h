#pragma once
// A scripted device on the far end of a real pseudo-terminal: the program opens the
// slave path through its real serial stack; the test decides what comes back.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vx::test {

class PtyPeer {
  public:
    // Called with each command the program wrote ("ATVR\r", "***", or a raw block when
    // no terminator came within 20 ms); returns the bytes to answer with.
    using Responder = std::function<std::string(const std::string& command)>;

    explicit PtyPeer(Responder responder = {});
    ~PtyPeer();

    const std::string& path() const { return path_; }
    void send(const std::string& bytes);  // unsolicited bytes
    std::vector<std::string> commands();  // everything received so far, as split
    void vanish();                        // closes the device side for good

  private:
    void serve();

    int master_ = -1, slave_ = -1;
    std::string path_;
    Responder responder_;
    std::atomic<bool> stop_{false};
    std::mutex mu_;
    std::vector<std::string> commands_;
    std::thread thread_;
};

}  // namespace vx::test
