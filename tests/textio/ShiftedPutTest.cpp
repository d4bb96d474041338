#include <gtest/gtest.h>

#include "cli/Steps.h"
#include "textio/GbaPointer.h"
#include "textio/ShiftedPut.h"
#include "textio/TextioBench.h"
#include "workspace/Errors.h"
#include "workspace/Rom.h"

namespace {

const Text kNotLoaded = W("Файл с переводом еще не загружен");
const Text kThin = W("Маловааато будет :-), может еще строчку ?");

Text Ptr(std::int64_t address) {
  return GbaPointerBytes(GbaPointerValue(address).value());
}

TEST(ShiftForNewAddress, IsTheNewAddressOfTheFirstLineMinusItsAddress) {
  TextioBench t;
  t.perevod({"1000 first", "2000 second"});
  EXPECT_EQ(ShiftForNewAddress(t.ws, "5000"), 4000);
  EXPECT_EQ(ShiftForNewAddress(t.ws, "&H1000"), 3096);
  EXPECT_EQ(ShiftForNewAddress(t.ws, " 5000 "), 4000);
  EXPECT_EQ(ShiftForNewAddress(t.ws, "200"), -800);
  EXPECT_EQ(ShiftForNewAddress(t.ws, ""), -1000);
  EXPECT_EQ(ShiftForNewAddress(t.ws, "abc"), -1000);
  t.perevod({"&H10 x"});
  EXPECT_EQ(ShiftForNewAddress(t.ws, "20"), 4);
  t.perevod({"nospace", "10 x"});
  EXPECT_FALSE(ShiftForNewAddress(t.ws, "20"));
  t.perevod({});
  EXPECT_FALSE(ShiftForNewAddress(t.ws, "20"));
}

TEST(ReadShiftField, ReadsWholeNumbersHexAndRoundsFractions) {
  EXPECT_EQ(ReadShiftField("16"), 16);
  EXPECT_EQ(ReadShiftField(" -16 "), -16);
  EXPECT_EQ(ReadShiftField("+7"), 7);
  EXPECT_EQ(ReadShiftField("&H10"), 16);
  EXPECT_EQ(ReadShiftField("-&h7fffffff"), -2147483647);
  EXPECT_EQ(ReadShiftField(""), 0);
  EXPECT_EQ(ReadShiftField("12.5"), 13);
  EXPECT_EQ(ReadShiftField("12,4"), 12);
  EXPECT_EQ(ReadShiftField("-12.5"), -13);
  EXPECT_EQ(ReadShiftField("2147483647"), 2147483647);
  EXPECT_EQ(ReadShiftField("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"2147483648", "&H80000000", "12abc", "abc", "-", ".", "&H", "1 2", "99999999999999999999"})
    EXPECT_FALSE(ReadShiftField(bad)) << bad;
}

TEST(ShiftedPut, WithNothingLoadedEveryStepReportsInTurn) {
  TextioBench t;
  ShiftedPut(t.ws, 10, true);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{kNotLoaded, kThin, kNotLoaded, kNotLoaded}));
  EXPECT_EQ(t.host.closedWindows, (std::vector<Window>{Window::EditForm, Window::FindForm}));
  EXPECT_FALSE(t.ws.RomChanged);
}

struct ShiftedBench : TextioBench {
  // 96 bytes: three NUL-terminated strings at offsets 8, 16 and 28, a table of their
  // pointers at 64 and one more pointer to the second at an odd offset.
  ShiftedBench() {
    tableRange(0x61, 0x7A, 'a');
    std::string bytes(96, '\xFF');
    place(bytes, 8, "abc");
    place(bytes, 16, "defgh");
    place(bytes, 28, "ij");
    bytes.replace(64, 4, Ptr(9));
    bytes.replace(68, 4, Ptr(17));
    bytes.replace(72, 4, Ptr(29));
    bytes.replace(81, 4, Ptr(17));
    rom(bytes);
    perevod({"9 xyz", "17 uvwxy", "29 st"});
    ws.ExtendedLogs = "NO";
  }
  static void place(std::string& bytes, size_t offset, const std::string& text) {
    bytes.replace(offset, text.size(), text);
    bytes[offset + text.size()] = '\0';
  }
};

TEST(ShiftedPut, PacksMovesInsertsAndCorrectsThePointers) {
  ShiftedBench t;
  t.ws.LeaveChangesInPerevodAddr = "NO";
  ShiftedPut(t.ws, 32, true);
  // Packed to 9, 13, 19, then moved by 32: 41, 45, 51.
  std::string expected(96, '\xFF');
  ShiftedBench::place(expected, 8, "abc");
  ShiftedBench::place(expected, 16, "defgh");
  ShiftedBench::place(expected, 28, "ij");
  expected.replace(40, 3, "xyz");
  expected.replace(44, 5, "uvwxy");
  expected.replace(50, 2, "st");
  expected.replace(64, 4, Ptr(41));
  expected.replace(68, 4, Ptr(45));
  expected.replace(72, 4, Ptr(51));
  expected.replace(81, 4, Ptr(45));
  EXPECT_EQ(t.ws.RomImage, expected);
  EXPECT_EQ(RomWorkImage(t.ws), expected);
  EXPECT_TRUE(t.ws.RomChanged);
  // The packed addresses stay without the shift, as the check box says.
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"9 xyz", "13 uvwxy", "19 st"}));
  EXPECT_FALSE(t.ws.PerevodChanged);
  EXPECT_EQ(t.host.failures, 0);
  EXPECT_TRUE(t.host.messages.empty());
}

TEST(ShiftedPut, KeptShiftsAreNotAddedTwiceByTheCorrection) {
  ShiftedBench t;
  t.ws.LeaveChangesInPerevodAddr = "YES";
  t.ws.UseHEXaddr = "YES";
  ShiftedPut(t.ws, 32, true);
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"&H29 xyz", "&H2D uvwxy", "&H33 st"}));
  EXPECT_TRUE(t.ws.PerevodChanged);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(64, 12), Ptr(41) + Ptr(45) + Ptr(51));
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(81, 4), Ptr(45));
}

TEST(ShiftedPut, ShiftZeroStillPacksInsertsAndCorrectsThePointersOfMovedLines) {
  ShiftedBench t;
  ShiftedPut(t.ws, 0, true);
  // Packed to 9, 13 and 19 over the old strings, whose tails stay.
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(8, 16), std::string("xyz\0uvwxyesth\0\xFF\xFF", 16));
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(64, 12), Ptr(9) + Ptr(13) + Ptr(19));
  EXPECT_EQ(t.host.log.back(), W("Коррекция поинтеров GBA в ROM закончена"));
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"9 xyz", "13 uvwxy", "19 st"}));
}

TEST(ShiftedPut, WithoutTheCheckBoxThePointersStay) {
  ShiftedBench t;
  const std::string pointers = Text(std::string_view(t.ws.RomImage)).substr(64, 24);
  ShiftedPut(t.ws, 32, false);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(64, 24), pointers);
  EXPECT_EQ(Text(std::string_view(t.ws.RomImage)).substr(40, 3), "xyz");
}

TEST(ShiftedPut, PointersStayWhenTheInsertionDidNotGoIn) {
  const Text skipped = W("Поинтеры GBA не исправляем: текст перевода в ROM не вставлен");
  ShiftedBench declined;
  declined.ws.TableLoaded = false;  // the table question is answered No
  const std::string before(declined.ws.RomImage);
  ShiftedPut(declined.ws, 32, true);
  EXPECT_EQ(declined.ws.RomImage, before);
  EXPECT_EQ(declined.host.log.back(), skipped);

  ShiftedBench failed;
  failed.perevod({"9 xyz", "17 uvwxy", "29 " + std::string(80, 'a')});  // runs past the end
  ShiftedPut(failed.ws, 32, true);
  EXPECT_EQ(failed.ws.RomImage, before);
  EXPECT_EQ(failed.host.log.back(), skipped);
  EXPECT_EQ(failed.host.failures, 1);
}

TEST(ShiftedPutSteps, TakeTheShiftOrTheNewFirstAddressAsTheWindowWould) {
  const StepRegistry steps = AllSteps();
  ShiftedBench byAddress;
  byAddress.ws.LeaveChangesInPerevodAddr = "NO";
  steps.find("ShiftedPutTo")->run(byAddress.ws, {"41", "yes"});  // 41 - 9: the shift 32
  ShiftedBench byShift;
  byShift.ws.LeaveChangesInPerevodAddr = "NO";
  steps.find("ShiftedPut")->run(byShift.ws, {"&H20", "1"});
  EXPECT_EQ(byAddress.ws.RomImage, byShift.ws.RomImage);
  EXPECT_EQ(Text(std::string_view(byShift.ws.RomImage)).substr(64, 4), Ptr(41));

  ShiftedBench bad;
  const std::string before(bad.ws.RomImage);
  // The runner refuses such arguments before any step runs; run anyway, the step still
  // touches nothing.
  for (const StepArgs& args : {StepArgs{"1e3"}, StepArgs{"&H"}}) {
    try {
      steps.find("ShiftedPut")->run(bad.ws, args);
      ADD_FAILURE() << "accepted " << args[0];
    } catch (const OperationError&) {
    }
  }
  EXPECT_EQ(bad.ws.RomImage, before);
  EXPECT_TRUE(bad.host.log.empty());
}

}  // namespace
