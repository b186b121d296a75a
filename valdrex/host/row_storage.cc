#include "valdrex/host/row_storage.h"

#include <sys/mman.h>

#include <cstdint>
#include <iterator>
#include <mutex>
#include <utility>

namespace valdrex::host {

namespace {

// Under the address sanitizer every block comes from operator new, so that it still sees the
// bounds and the lifetime of each row.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif
#else
constexpr bool kPooled = true;
#endif

constexpr std::size_t kGrain = 64;                // block sizes are multiples of this
constexpr std::size_t kLargest = 16 * 1024;       // larger blocks come from operator new
constexpr std::size_t kRegion = 2 * 1024 * 1024;  // one huge page

struct FreeBlock {
  FreeBlock* next;
};

// Blocks of each size on a free list; new ones carved from the current region. Each thread has
// its own, so that the workbooks of a batch never wait for each other: a block freed by another
// thread than the one that made it joins the freeing thread's lists.
class Storage {
 public:
  void* allocate(std::size_t bytes) {
    const std::size_t size = rounded(bytes);
    FreeBlock*& head = free_[size / kGrain];
    if (head) {
      FreeBlock* b = head;
      head = b->next;
      return b;
    }
    if (static_cast<std::size_t>(end_ - next_) < size) newRegion();
    void* p = next_;
    next_ += size;
    return p;
  }

  void release(void* p, std::size_t bytes) noexcept {
    const std::size_t size = rounded(bytes);
    auto* b = static_cast<FreeBlock*>(p);
    b->next = free_[size / kGrain];
    free_[size / kGrain] = b;
  }

  // Every free block and the rest of the region, for another thread's storage.
  void giveTo(Storage& other) noexcept {
    for (std::size_t i = 0; i < std::size(free_); ++i) {
      while (FreeBlock* b = free_[i]) {
        free_[i] = b->next;
        b->next = other.free_[i];
        other.free_[i] = b;
      }
    }
    if (end_ - next_ > other.end_ - other.next_) {
      std::swap(next_, other.next_);
      std::swap(end_, other.end_);
    }
  }

 private:
  static std::size_t rounded(std::size_t bytes) {
    return bytes == 0 ? kGrain : (bytes + kGrain - 1) / kGrain * kGrain;
  }

  // A region aligned to the huge page size, so that the system can map it as one; what is left
  // of the previous region is not used.
  void newRegion() {
    if (!VALDREX_LARGE_PAGES) {
      next_ = static_cast<char*>(::operator new(kRegion));
      end_ = next_ + kRegion;
      return;
    }
    void* raw =
        mmap(nullptr, 2 * kRegion, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const auto aligned = (start + kRegion - 1) / kRegion * kRegion;
    if (aligned > start) munmap(raw, aligned - start);
    munmap(reinterpret_cast<void*>(aligned + kRegion), start + kRegion - aligned);
    madvise(reinterpret_cast<void*>(aligned), kRegion, MADV_HUGEPAGE);
    next_ = reinterpret_cast<char*>(aligned);
    end_ = next_ + kRegion;
  }

  FreeBlock* free_[kLargest / kGrain + 1] = {};
  char* next_ = nullptr;
  char* end_ = nullptr;
};

// What finished threads left, for the next thread that starts: only then is a lock taken.
std::mutex leftoversMutex;
Storage leftovers;

// A thread's own lists, made at its first row and deleted when it ends: a program that starts a
// thread for each workbook keeps no memory of the threads that are gone.
thread_local Storage* mine = nullptr;
// Rows made or freed on a thread after its storage is gone (by objects destroyed after it, or
// during exit) use the leftovers, under the lock: neither has a destructor, both last till the end.
thread_local bool ended = false;

struct HandOver {
  ~HandOver() {
    {
      std::lock_guard lock(leftoversMutex);
      mine->giveTo(leftovers);
    }
    delete mine;
    mine = nullptr;
    ended = true;
  }
};

// The calling thread's storage, made at its first row with what ended threads left. Null once
// the thread has ended, or when there is no memory for it: the leftovers serve then, under the
// lock.
Storage* ownStorage() noexcept {
  if (mine) [[likely]]
    return mine;
  if (ended) return nullptr;
  auto* made = new (std::nothrow) Storage;
  if (!made) return nullptr;
  {
    std::lock_guard lock(leftoversMutex);
    leftovers.giveTo(*made);
  }
  static thread_local HandOver atExit;  // made now, so that it hands over when the thread ends
  (void)atExit;
  mine = made;
  return mine;
}

}  // namespace

void* allocateRowStorage(std::size_t bytes) {
  if (!kPooled || bytes > kLargest) return ::operator new(bytes);
  if (Storage* s = ownStorage()) [[likely]]
    return s->allocate(bytes);
  std::lock_guard lock(leftoversMutex);
  return leftovers.allocate(bytes);
}

void releaseRowStorage(void* p, std::size_t bytes) noexcept {
  if (!kPooled || bytes > kLargest) {
    ::operator delete(p);
    return;
  }
  if (Storage* s = ownStorage()) [[likely]] {
    s->release(p, bytes);
    return;
  }
  std::lock_guard lock(leftoversMutex);
  leftovers.release(p, bytes);
}

}  // namespace valdrex::host
