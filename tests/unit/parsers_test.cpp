#include <gtest/gtest.h>

#include "link/parsers.h"

TEST(Parsers, WorkedValues) {
    EXPECT_EQ(str16_to_num("0A1F", 4), 2591);
    EXPECT_EQ(str16_to_num("12", 0), 1);
    EXPECT_EQ(str16_to_num("12", 1), 1);
    EXPECT_EQ(str16_to_num("ffFF", 4), 65535);
    EXPECT_EQ(str16_to_num("1G", 2), 16);  // non-digits count as 0
    EXPECT_EQ(str_to_num("12", 2), 12);
    EXPECT_EQ(str_to_num("1A", 2), 20);
    EXPECT_EQ(chr_to_num('g'), 0);
    EXPECT_EQ(chr_to_num('f'), 15);
    EXPECT_EQ(chr_to_num('9'), 9);
}
