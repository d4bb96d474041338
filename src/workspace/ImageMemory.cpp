#include "workspace/ImageMemory.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>


namespace {

constexpr std::size_t kPage = 4096;

std::size_t WholePages(std::size_t size) {
  return (size + kPage - 1) & ~(kPage - 1);
}

// A ROM of many megabytes is touched page by page; huge pages turn thousands of page faults
// into a few. Only advice: the kernel may ignore it.
void AdviseHugePages(char* data, std::size_t size) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + size) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// One leased mapping. The states order who may touch it: the signal handler takes a Held
// lease to Breaking and leaves it Broken (pages copied, lease let go); the owner takes Held
// or Broken to Releasing and frees the slot, waiting while a break is under way.
enum State : int { kFree, kClaimed, kHeld, kBreaking, kBroken, kReleasing };
struct Lease {
  std::atomic<int> state{kFree};
  std::atomic<int> fd{-1};
  std::atomic<char*> data{nullptr};
  std::atomic<std::size_t> size{0};
};
// A session holds a few images at once (the image, the copy, the original, two compared ROMs).
Lease g_leases[16];
std::atomic<std::size_t> g_held{0};

// The image's pages become memory of its own, holding what they hold now, then the file is
// free. Copied pages of a private mapping are not enough: a file that is cut takes even
// those with it. So the bytes go to fresh memory that then takes the mapping's place at the
// same address; runs on the one thread that writes images, so no write falls in between.
void Unshare(Lease& lease) {
  char* const data = lease.data.load();
  const std::size_t size = lease.size.load();
  void* copy = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (copy != MAP_FAILED) {
    std::memcpy(copy, data, size);
    if (::mremap(copy, size, size, MREMAP_MAYMOVE | MREMAP_FIXED, data) == MAP_FAILED) ::munmap(copy, size);
  }
  ::fcntl(lease.fd.load(), F_SETLEASE, F_UNLCK);
}

void OnLeaseBreak(int, siginfo_t* info, void*) {
  const int saved = errno;
  for (Lease& lease : g_leases) {
    if (lease.fd.load() != info->si_fd) continue;
    int held = kHeld;
    if (!lease.state.compare_exchange_strong(held, kBreaking)) continue;
    Unshare(lease);
    lease.state.store(kBroken);
  }
  errno = saved;
}

// Leases need the break's signal; SIGIO is taken only when nobody else uses it.
[[maybe_unused]] bool LeasesUsable() {
  static const bool usable = [] {
    struct sigaction old {};
    if (::sigaction(SIGIO, nullptr, &old) != 0) return false;
    if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) return false;
    struct sigaction action {};
    action.sa_sigaction = OnLeaseBreak;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGIO, &action, nullptr) == 0;
  }();
  return usable;
}

[[maybe_unused]] Lease* Claim() {
  for (Lease& lease : g_leases) {
    int free = kFree;
    if (lease.state.compare_exchange_strong(free, kClaimed)) return &lease;
  }
  return nullptr;
}

// Lets the lease go (closing the descriptor ends it) and frees the slot.
void Release(Lease& lease) {
  for (;;) {
    int state = lease.state.load();
    if ((state == kHeld || state == kBroken || state == kClaimed) &&
        lease.state.compare_exchange_strong(state, kReleasing))
      break;
    sched_yield();  // a break is copying the pages: it takes milliseconds
  }
  if (lease.fd.load() >= 0) {
    ::close(lease.fd.load());
    g_held.fetch_sub(1);
  }
  lease.fd.store(-1);
  lease.data.store(nullptr);
  lease.state.store(kFree);
}

}  // namespace

void* AllocateImageBytes(std::size_t size) {
  if (size < kImagePagesFrom) return ::operator new(size);
  void* data = ::mmap(nullptr, WholePages(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (data == MAP_FAILED) throw std::bad_alloc();
  AdviseHugePages(static_cast<char*>(data), WholePages(size));
  return data;
}

void FreeImageBytes(void* data, std::size_t size) noexcept {
  if (size < kImagePagesFrom) return ::operator delete(data);
  for (Lease& lease : g_leases) {
    const int state = lease.state.load();
    if (state != kFree && state != kReleasing && lease.data.load() == data) Release(lease);
  }
  ::munmap(data, WholePages(size));
}

#if !defined(__cpp_lib_string_resize_and_overwrite)
// A string cannot take the length without writing its pages: files are read.
bool MapFileInto(int, std::size_t, RomBytes&) {
  return false;
}
#else
bool MapFileInto(int fd, std::size_t size, RomBytes& data) {
  if (size < kImagePagesFrom || !LeasesUsable()) return false;
  Lease* lease = Claim();
  if (lease == nullptr) return false;
  RomBytes fresh;
  try {
    fresh.reserve(size);
  } catch (...) {
    Release(*lease);
    throw;
  }
  // The file goes over the pages the string was given; they are whole pages of their own.
  char* const at = fresh.data();
  const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0 || ::mmap(at, WholePages(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED, own, 0) == MAP_FAILED) {
    if (own >= 0) ::close(own);
    Release(*lease);
    return false;
  }
  g_held.fetch_add(1);
  lease->data.store(at);
  lease->size.store(WholePages(size));
  lease->fd.store(own);
  lease->state.store(kHeld);
  // The lease is taken only after the mapping: the file as it stands when nobody may write
  // it any more is what the image shows, and a file cut before that is caught by its size.
  // Its break is told to this thread, the one that writes images (see Unshare).
  struct stat st {};
  const f_owner_ex self{F_OWNER_TID, static_cast<pid_t>(::gettid())};
  if (::fcntl(own, F_SETSIG, SIGIO) != 0 || ::fcntl(own, F_SETLEASE, F_RDLCK) != 0 ||
      ::fcntl(own, F_SETOWN_EX, &self) != 0 || ::fstat(own, &st) != 0 || static_cast<std::size_t>(st.st_size) != size) {
    Release(*lease);
    return false;  // `fresh` unmaps the file as it goes
  }
  fresh.resize_and_overwrite(size, [size](char*, std::size_t) { return size; });
  data.swap(fresh);
  return true;
}
#endif

std::size_t LeasedMappings() {
  return g_held.load();
}
