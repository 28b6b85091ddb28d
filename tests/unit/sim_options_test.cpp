// Simulator settings from a --simulate string and from vendrix-devsim's command line.

#include "sim/options.h"

#include <gtest/gtest.h>

using namespace vx::sim;

namespace {

TEST(SimOptions, SpecStringSetsProfileAndSettings) {
    Options o;
    std::string err;
    ASSERT_TRUE(parseSimSettings("qm43,fw=19,seed=7,nodes=5,baud=256000,wrapped,tmpbuf=0,start=231231_235959",
                                 o, err))
        << err;
    EXPECT_EQ(o.profile, "qm43");
    EXPECT_EQ(o.fw, 0x19);
    EXPECT_EQ(o.session.seed, 7u);
    EXPECT_EQ(o.session.nodes, 5);
    EXPECT_EQ(o.baud, 256000u);
    EXPECT_TRUE(o.session.wrapped);
    EXPECT_EQ(o.session.tmpBytes, 0);
    EXPECT_EQ(o.session.start.year, 23);
    EXPECT_EQ(o.session.start.second, 59);

    Options d;
    ASSERT_TRUE(parseSimSettings("fw=18", d, err)) << err;
    EXPECT_EQ(d.profile, "qm41");
    EXPECT_EQ(d.fw, 0x18);
}

TEST(SimOptions, BadSpecsAreRejectedNamingTheSetting) {
    const char* bad[][2] = {
        {"qm41,nodes=31", "nodes"},    {"qm41,nodes=x", "nodes"},       {"qm41,fw=100", "fw"},
        {"qm41,hw=G", "hw"},           {"qm41,drop=1.5", "drop"},       {"qm41,start=240230_000000", "start"},
        {"qm41,colour=red", "colour"}, {"qm41,pages=4096", "pages"},    {"qm41,remote=modem", "remote"},
        {"qm41,qm42", "qm42"},         {"qm41,drop-nth=0", "drop-nth"},
    };
    for (auto& b : bad) {
        Options o;
        std::string err;
        EXPECT_FALSE(parseSimSettings(b[0], o, err)) << b[0];
        EXPECT_NE(err.find(b[1]), std::string::npos) << b[0] << ": " << err;
    }
}

TEST(SimOptions, FaultFilterAppliesToRulesBeforeAndAfterIt) {
    Options o;
    std::string err;
    ASSERT_TRUE(
        parseSimSettings("qm41,drop=0.1,fault-on=ATRD,err-nth=4,truncate-on=ATVR,truncate=0.5", o, err))
        << err;
    ASSERT_EQ(o.faults.rules.size(), 3u);
    for (const FaultRule& r : o.faults.rules) {
        if (r.kind == FaultKind::Truncate)
            EXPECT_EQ(r.on, "ATVR");
        else
            EXPECT_EQ(r.on, "ATRD");
    }
}

TEST(SimOptions, CommandLineTakesValuesFlagsAndEqualsForms) {
    const char* argv[] = {"vendrix-devsim", "vt71",       "--baud", "19200",  "--wrapped", "--fw=16",
                          "--bytewise",     "--delay-ms", "20",     "--seed", "99"};
    Options o;
    bool help = true;
    std::string err;
    ASSERT_TRUE(parseArgs(int(std::size(argv)), argv, o, help, err)) << err;
    EXPECT_FALSE(help);
    EXPECT_EQ(o.profile, "vt71");
    EXPECT_EQ(o.baud, 19200u);
    EXPECT_TRUE(o.session.wrapped);
    EXPECT_EQ(o.fw, 0x16);
    EXPECT_EQ(o.mode, PaceMode::Bytewise);
    ASSERT_EQ(o.faults.rules.size(), 1u);
    EXPECT_EQ(o.faults.rules[0].delayMs, 20);
    EXPECT_EQ(o.faults.rules[0].probability, 1.0);
    EXPECT_EQ(o.session.seed, 99u);
}

TEST(SimOptions, CommandLineErrors) {
    std::string err;
    bool help = false;
    Options o;
    const char* noProfile[] = {"vendrix-devsim", "--baud", "9600"};
    EXPECT_FALSE(parseArgs(3, noProfile, o, help, err));
    const char* missing[] = {"vendrix-devsim", "qm41", "--baud"};
    EXPECT_FALSE(parseArgs(3, missing, o, help, err));
    EXPECT_NE(err.find("baud"), std::string::npos);
    const char* twoProfiles[] = {"vendrix-devsim", "qm41", "qm42"};
    EXPECT_FALSE(parseArgs(3, twoProfiles, o, help, err));
    const char* helpArgs[] = {"vendrix-devsim", "--help"};
    EXPECT_TRUE(parseArgs(2, helpArgs, o, help, err));
    EXPECT_TRUE(help);
    EXPECT_NE(usageText().find("--simulate"), std::string::npos);
}

TEST(SimOptions, EveryProfileMakesADevice) {
    for (const std::string& p : profiles()) {
        Options o;
        o.profile = p;
        std::string err;
        std::shared_ptr<const Session> s;
        EXPECT_TRUE(makeDevice(o, err, &s)) << p << ": " << err;
        bool logger =
            p == "qm41" || p == "qm42" || p == "qm43" || p == "vt71" || p == "nod85" || p == "modem";
        EXPECT_EQ(bool(s), logger) << p;
    }
    Options o;
    o.session.nodes = 0;
    std::string err;
    EXPECT_FALSE(makeDevice(o, err));
    EXPECT_FALSE(err.empty());
}

}  // namespace
