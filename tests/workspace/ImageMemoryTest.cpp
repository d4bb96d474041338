// A loaded ROM image that shares its pages with the file must not change when another
// program rewrites or cuts the file, nor end the process when it is read afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/TestFiles.h"
#include "workspace/Files.h"

namespace {

std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
  return bytes;
}

// What another program does to the file: written over in place (as a hex editor or `cp`
// does), or cut to nothing.
void Overwrite(const std::filesystem::path& file, const std::string& bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

TEST(ImageMemory, AnImageStaysAsReadWhenItsFileIsRewrittenOrCut) {
  TempDir dir;
  // Sizes on and off a page boundary: the string's closing zero lands in the file's last
  // page or in a page of its own.
  for (const size_t size : {size_t{3} << 20, (size_t{2} << 20) + 1234}) {
    const std::string original = Pattern(size, static_cast<unsigned>(size));
    WriteBytes(dir.path() / "a.gba", original);
    WriteBytes(dir.path() / "b.gba", original);
    RomBytes a;
    RomBytes b;
    ReadWholeFileInto(dir.file("a.gba"), a);
    ReadWholeFileInto(dir.file("b.gba"), b);
    if (LeasedMappings() != 2) GTEST_SKIP() << "this file system gives no leases: the files were read";
    a[size / 2] = 'Q';  // a page of the image's own before the file changes

    Overwrite(dir.path() / "a.gba", Pattern(size, 7));
    ::truncate((dir.path() / "b.gba").c_str(), 0);

    EXPECT_EQ(ReadBytes(dir.path() / "a.gba"), Pattern(size, 7)) << "the other program's write went through";
    std::string edited = original;
    edited[size / 2] = 'Q';
    EXPECT_TRUE(a == edited) << size;
    EXPECT_TRUE(b == original) << size;
    RomBytes().swap(a);
    RomBytes().swap(b);
    EXPECT_EQ(LeasedMappings(), 0u);
  }
}

TEST(ImageMemory, AFileOpenForWritingIsReadNotMapped) {
  TempDir dir;
  const std::string original = Pattern(size_t{2} << 20, 1);
  WriteBytes(dir.path() / "a.gba", original);
  const int writer = ::open((dir.path() / "a.gba").c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  RomBytes a;
  ReadWholeFileInto(dir.file("a.gba"), a);
  EXPECT_EQ(LeasedMappings(), 0u);
  ::close(writer);
  EXPECT_TRUE(a == original);
}

}  // namespace
