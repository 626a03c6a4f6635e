// Read-ahead for the Message loop: a ring of slots filled in input order by
// the caller's thread, loaded by a small pool of threads, and handed back
// to the caller strictly in order.
#include "prefetch.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "loop.h"

namespace {

constexpr int kMaxThreads = 64;
constexpr int kSlotsPerThread = 4;  // how far ahead the loaders may read

enum class SlotState { queued, loading, done };

struct Slot {
  std::string name;  // as the loop handed it over
  std::string path;  // the file to read; empty when the name has none
  MessageLoad load;
  SlotState state = SlotState::done;
};

// Slots are numbered by input order; slot n lives in slots[n % size].
// Everything but a slot being loaded belongs to the caller's thread; the
// mutex guards the states and the numbers.
class ReadAhead {
 public:
  ReadAhead(int threads, const Prefetch &prefetch, const PrefetchCallback &callback)
      : prefetch_(prefetch),
        callback_(callback),
        slots_(static_cast<size_t>(threads * kSlotsPerThread)) {
    for (int i = 0; i < threads; ++i) loaders_.emplace_back([this] { load_loop(); });
  }
  ReadAhead(const ReadAhead &) = delete;
  ReadAhead &operator=(const ReadAhead &) = delete;
  ~ReadAhead() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    work_.notify_all();
    for (std::thread &loader : loaders_) loader.join();
  }

  // Queues a name, first handing over the oldest one when the ring is full.
  void add(const char *name) {
    if (tail_ - head_ == slots_.size()) hand_over();
    Slot &slot = slot_at(tail_);
    slot.name.assign(name);
    bool has_file = prefetch_.path_of(name, slot.path);
    if (!has_file) slot.path.clear();
    std::unique_lock<std::mutex> lock(mutex_);
    slot.state = has_file ? SlotState::queued : SlotState::done;
    ++tail_;
    // Loaders are woken for a backlog of half the ring, so that each
    // wake-up pays for several reads; what no loader takes, the caller's
    // thread loads in its turn.
    bool wake = has_file && idle_ > 0 && tail_ - next_load_ >= slots_.size() / 2;
    lock.unlock();
    if (wake) work_.notify_one();
  }

  // Hands over every queued name.
  void drain() {
    while (head_ != tail_) hand_over();
  }

 private:
  Slot &slot_at(uint64_t number) { return slots_[number % slots_.size()]; }

  // The next slot for a loader: skips those without a file. Under the mutex.
  bool claim(uint64_t &number) {
    // Slots before the oldest one are handed over, and theirs are reused.
    if (next_load_ < head_) next_load_ = head_;
    while (next_load_ < tail_ && slot_at(next_load_).state != SlotState::queued) ++next_load_;
    if (next_load_ == tail_) return false;
    number = next_load_++;
    slot_at(number).state = SlotState::loading;
    return true;
  }

  void load(Slot &slot) { message_load_ahead(slot.path.c_str(), prefetch_.extent, slot.load); }

  void load_loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      uint64_t number;
      if (stopping_) return;
      if (!claim(number)) {
        ++idle_;
        work_.wait(lock);
        --idle_;
        continue;
      }
      Slot &slot = slot_at(number);
      lock.unlock();
      load(slot);
      lock.lock();
      slot.state = SlotState::done;
      if (number == waiting_for_) done_.notify_one();
    }
  }

  // Hands the oldest slot to the callback once it is loaded. An oldest slot
  // that no loader has taken is left in order: the callback loads it as it
  // would without read-ahead. While a loader has it, this thread loads the
  // next queued one; it waits only when nothing is left.
  void hand_over() {
    Slot &slot = slot_at(head_);
    std::unique_lock<std::mutex> lock(mutex_);
    while (slot.state != SlotState::done) {
      uint64_t number;
      if (slot.state == SlotState::queued) {
        slot.state = SlotState::done;  // its load stays in order
      } else if (!claim(number)) {
        waiting_for_ = head_;
        done_.wait(lock);
        waiting_for_ = UINT64_MAX;
      } else {
        Slot &taken = slot_at(number);
        lock.unlock();
        load(taken);
        lock.lock();
        taken.state = SlotState::done;
      }
    }
    ++head_;  // before the call, which may throw to end the loop
    lock.unlock();
    callback_(slot.name.c_str(), slot.load);
    slot.load = MessageLoad{};
  }

  const Prefetch &prefetch_;
  const PrefetchCallback &callback_;
  std::vector<Slot> slots_;
  std::vector<std::thread> loaders_;
  std::mutex mutex_;
  std::condition_variable work_;  // loaders wait here for queued slots
  std::condition_variable done_;  // the caller waits here for its slot
  uint64_t head_ = 0;             // the oldest slot not handed over
  uint64_t tail_ = 0;             // the next slot to fill
  uint64_t next_load_ = 0;        // no queued slot before it
  uint64_t waiting_for_ = UINT64_MAX;
  int idle_ = 0;  // loaders waiting for work
  bool stopping_ = false;
};

}  // namespace

int prefetch_threads() {
  if (const char *value = getenv("QUOBIX_PREFETCH")) {
    char *end;
    long threads = strtol(value, &end, 10);
    if (*value && !*end && threads >= 0) return threads > kMaxThreads ? kMaxThreads : int(threads);
  }
  // Warm reads are bound by the processors: loaders beyond one per core
  // only contend with the main thread (measured: on 2 cores, 3 loaders
  // took 1.7 times as long as 2). Cold reads gain little past that.
  unsigned cores = std::thread::hardware_concurrency();
  int threads = static_cast<int>(cores ? cores : 1);
  return threads > 8 ? 8 : threads;
}

int64_t message_loop_in_order(int count, char *const arguments[],
                              const PrefetchCallback &callback) {
  return message_loop(count, arguments, [&callback](const char *name) {
    MessageLoad load;  // in order: loaded by the callback when it asks
    callback(name, load);
  });
}

int64_t message_loop_ahead(int count, char *const arguments[], const Prefetch &prefetch,
                           const PrefetchCallback &callback) {
  int threads = prefetch_threads();
  if (threads == 0) return message_loop_in_order(count, arguments, callback);
  ReadAhead ahead(threads, prefetch, callback);
  int64_t handed = message_loop_paused(
      count, arguments, [&ahead](const char *name) { ahead.add(name); },
      [&ahead] { ahead.drain(); });
  ahead.drain();
  return handed;
}

bool path_after_blanks(const char *name, std::string &path) {
  path.assign(name + strspn(name, " \t"));
  return true;
}

int64_t message_loop_ahead_one(const char *argument, const Prefetch &prefetch,
                               const PrefetchCallback &callback) {
  char *arguments[] = {const_cast<char *>(argument)};
  return message_loop_ahead(1, arguments, prefetch, callback);
}
