#include <gtest/gtest.h>

#include "engine/receipt_record.h"

namespace {

struct SetCase {
    const char* folder;
    unsigned long number;
};

class BackupSetNumber : public ::testing::TestWithParam<SetCase> {};

TEST_P(BackupSetNumber, IsTheSetFoldersName) {
    EXPECT_EQ(engine::BackupSetNumber(GetParam().folder), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Receipt, BackupSetNumber,
    ::testing::Values(SetCase{"C:\\TOVAKA\\RENOVO.BAK\\0007", 7},
                      SetCase{"C:\\TOVAKA\\RENOVO.BAK\\0012\\", 12},
                      SetCase{"C:\\TOVAKA\\RENOVO.BAK\\0001.OLD", 0},  // being retired
                      SetCase{"C:\\TOVAKA\\RENOVO.BAK\\12", 0}, SetCase{"", 0},
                      SetCase{"0003", 3}));

}  // namespace
