#pragma once
// Memory for ROM images. An image of a megabyte or more lives in whole pages of its own, so
// a load can put a private mapping of the file there instead of copying it: the pages stay
// the system's cached pages of the file until the program writes one, and only that page is
// then copied. A load of 32 MiB costs a mapping, not a clearing and a copy of 32 MiB.
//
// Nobody may change the file under such a mapping, so one is made only under a read lease:
// another program that opens the file to write, or cuts it, waits until we are told and have
// copied every page still shared with the file into the image's own memory (milliseconds),
// and the image stays exactly the file as it was read. Where no lease can be had (a file of
// another user, a file something holds open to write, a file system without leases), the
// file is read into the pages instead.
#include <cstddef>
#include <string>
#include <string_view>

// Pages of their own for `size` >= kImagePagesFrom bytes (huge pages advised), the heap below.
void* AllocateImageBytes(std::size_t size);
// Frees what AllocateImageBytes gave; a mapped file there lets its lease go.
void FreeImageBytes(void* data, std::size_t size) noexcept;
inline constexpr std::size_t kImagePagesFrom = std::size_t{1} << 20;

template <class T>
struct ImageAllocator {
  using value_type = T;
  ImageAllocator() = default;
  template <class U>
  ImageAllocator(const ImageAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateImageBytes(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { FreeImageBytes(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const ImageAllocator<U>&) const noexcept {
    return true;
  }
};

// The bytes of a ROM image.
using RomBytes = std::basic_string<char, std::char_traits<char>, ImageAllocator<char>>;

// `data` becomes the first `size` bytes of the open regular file `fd` as a leased private
// mapping (see above); pages are mapped as they are first touched. False, with `data` unchanged, when the file cannot be mapped so (the caller reads it);
// `fd` stays the caller's either way.
bool MapFileInto(int fd, std::size_t size, RomBytes& data);

// How many leased mappings are held now; for tests.
std::size_t LeasedMappings();

// An image compared with plain bytes (found by argument lookup through the allocator).
inline bool operator==(const RomBytes& image, const std::string& bytes) {
  return std::string_view(image) == std::string_view(bytes);
}
