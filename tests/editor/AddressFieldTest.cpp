#include <gtest/gtest.h>

#include "editor/AddressField.h"

namespace {

using Kind = AddressFieldReading::Kind;

TEST(ReadAddressField, DecimalHexSignsAndRounding) {
  EXPECT_EQ(ReadAddressField("1000").value, 1000);
  EXPECT_EQ(ReadAddressField("  42 ").value, 42);
  EXPECT_EQ(ReadAddressField("&h1f").value, 31);
  EXPECT_EQ(ReadAddressField("&H7FFFFFFF").value, 2147483647);
  EXPECT_EQ(ReadAddressField("-5").value, -5);
  // Halves go to the even neighbour; anything above a half rounds up.
  EXPECT_EQ(ReadAddressField("12.5").value, 12);
  EXPECT_EQ(ReadAddressField("13.5").value, 14);
  EXPECT_EQ(ReadAddressField("12.51").value, 13);
  EXPECT_EQ(ReadAddressField(".7").value, 1);
  EXPECT_EQ(ReadAddressField("0").kind, Kind::Number);
}

TEST(ReadAddressField, TextThatIsNotOneNumberIsNone) {
  for (const char* field : {"", "   ", "abc", "12abc", "&H", "&HG1", "1 2", "+", "1.2.3", "&H12 x"})
    EXPECT_EQ(ReadAddressField(field).kind, Kind::NotANumber) << field;
}

TEST(ReadAddressField, NumbersBeyondThirtyTwoBitsAreTooLarge) {
  EXPECT_EQ(ReadAddressField("2147483648").kind, Kind::TooLarge);
  EXPECT_EQ(ReadAddressField("-2147483649").kind, Kind::TooLarge);
  EXPECT_EQ(ReadAddressField("&H80000000").kind, Kind::TooLarge);
  EXPECT_EQ(ReadAddressField("99999999999999999999999999").kind, Kind::TooLarge);
  EXPECT_EQ(ReadAddressField("&HFFFFFFFFFFFFFFFFFFFFFFFF").kind, Kind::TooLarge);
  EXPECT_EQ(ReadAddressField("-2147483648").kind, Kind::Number);
}

TEST(PointerText, BytesInRomOrderWithinTheCartridge) {
  EXPECT_EQ(PointerText(1193047), "56341208");
  EXPECT_EQ(PointerText(1), "00000008");
  EXPECT_EQ(PointerText(0), "");
  EXPECT_EQ(PointerText(-3), "");
  // The upper 16 MiB is mapped at 0x09000000; past 32 MiB no pointer reaches.
  EXPECT_EQ(PointerText(0x1000000), "FFFFFF08");
  EXPECT_EQ(PointerText(0x1000001), "00000009");
  EXPECT_EQ(PointerText(0x2000000), "FFFFFF09");
  EXPECT_EQ(PointerText(0x2000001), "");
}

TEST(PointedAddress, TypedPointerGivesTheAddressItPointsAt) {
  EXPECT_EQ(PointedAddress("&H56341208"), 1193047);
  EXPECT_EQ(PointedAddress("&h56341208"), 1193047);
  EXPECT_EQ(PointedAddress("&H00000008"), 1);
  EXPECT_EQ(PointedAddress("&H56341209"), 0x1123456 + 1);
  // Round trip with the pointer field.
  EXPECT_EQ(PointedAddress("&H" + PointerText(0x1ABCDEF)), 0x1ABCDEF);
  EXPECT_FALSE(PointedAddress("56341208"));
  EXPECT_FALSE(PointedAddress("&H56341207"));
  EXPECT_FALSE(PointedAddress("&H0056341208"));  // longer than 10 characters
  EXPECT_FALSE(PointedAddress("&H5634109"));     // 09 only in the full form
}

}  // namespace
