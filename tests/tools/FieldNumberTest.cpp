#include <gtest/gtest.h>

#include "tools/FieldNumber.h"
#include "workspace/Errors.h"

namespace {

TEST(ReadFieldNumber, LeadingNumberOfTheText) {
  EXPECT_EQ(ReadFieldNumber("256"), 256);
  EXPECT_EQ(ReadFieldNumber("&H100"), 256);
  EXPECT_EQ(ReadFieldNumber("&hea2df0"), 0xEA2DF0);
  EXPECT_EQ(ReadFieldNumber("12abc"), 12);
  EXPECT_EQ(ReadFieldNumber(" 1 024 "), 1024);
  EXPECT_EQ(ReadFieldNumber("-7"), -7);
  EXPECT_EQ(ReadFieldNumber("2.5e1x"), 25);
  EXPECT_EQ(ReadFieldNumber(""), 0);
  EXPECT_EQ(ReadFieldNumber("abc"), 0);
  EXPECT_EQ(ReadFieldNumber("&H"), 0);
  EXPECT_EQ(ReadFieldNumber("."), 0);
  EXPECT_EQ(ReadFieldNumber("1e-999"), 0);
}

TEST(FieldInteger, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(FieldInt32("2.5"), 2);
  EXPECT_EQ(FieldInt32("3.5"), 4);
  EXPECT_EQ(FieldInt32("-2.5"), -2);
  EXPECT_EQ(FieldInt32("2.51"), 3);
  EXPECT_EQ(FieldInt32("2147483647"), 2147483647);
  EXPECT_THROW(FieldInt32("2147483648"), OperationError);
  EXPECT_THROW(FieldInt32("1e999"), OperationError);
  EXPECT_EQ(FieldInt16("32767"), 32767);
  EXPECT_THROW(FieldInt16("32768"), OperationError);
  EXPECT_THROW(FieldInt16("-32769"), OperationError);
}

}  // namespace
