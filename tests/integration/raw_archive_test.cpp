// The incremental download against the simulated logger when the archive's last page was
// still being written when it was kept, and when the memory went round since.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "session/download.h"
#include "session/memory_model.h"
#include "session/raw_archive.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "support/sim_logger.h"

namespace {

using vx::session::RawArchive;

class IncrementalDownloadTest : public vx::test::SimLoggerTest {
  protected:
    void readSession() {
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        ASSERT_EQ(Flag.pages_error + Flag.table_error + Flag.time_error, 0);
        Tsample = 60;
    }
};

TEST_F(IncrementalDownloadTest, SinceReadsAgainWhatTheArchiveCouldNotHaveComplete) {
    const struct {
        const char* what;
        std::function<void(uint8_t* lastPage)> then;  // the archive's last page as it was kept
        size_t readAgain;                             // pages the incremental download reads
    } cases[] = {
        // Only its first record had been written: the page is read again and completed.
        {"last page half written",
         [](uint8_t* p) {
             size_t first = vx::session::recordLength(InfoFE[vx::session::findNode(p[0])]);
             std::memset(p + first, 0xFF, PAGE_SIZE - first);
         },
         1},
        // Other records on it now: the memory went round, no archived page can be trusted.
        {"memory went round", [](uint8_t* p) { p[1] ^= 0x55; }, 20},
    };
    ASSERT_TRUE(connect("qm41,seed=3,nodes=3,pages=20,tmpbuf=300"));
    readSession();
    ASSERT_EQ(saveFile(nullptr, "full"), 1);
    const std::string full = slurp("full");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        readSession();
        vx::session::RawOptions keep;
        keep.keepIn = "raw";
        ASSERT_EQ(vx::session::downloadSession(nullptr, "kept", keep), 1);
        RawArchive a;
        ASSERT_EQ(vx::session::loadArchive("raw", a), "");
        ASSERT_EQ(a.pageCount(), 20u);
        c.then(a.pages.data() + (a.pageCount() - 1) * RawArchive::kPageEntry + 2);
        a.tmpBuffer.clear();
        ASSERT_EQ(vx::session::writeArchive("raw", a), "");

        readSession();
        vx::session::RawOptions since;
        since.since = "raw";
        ASSERT_EQ(vx::session::downloadSession(nullptr, "since", since), 1) << vx::session::downloadFailure();
        EXPECT_TRUE(slurp("since") == full);
        ASSERT_EQ(vx::session::loadArchive("raw", a), "");
        EXPECT_EQ(a.pageCount(), 20u + c.readAgain);
    }
}

}  // namespace
