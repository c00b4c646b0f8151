// Runs many produced programs at once: each run spends most of its time
// waiting for Wine or the runner to start, so a few at a time finish a long
// list in a fraction of the time one after another would take.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace tarn::test {

// Calls job(0) .. job(count - 1), each exactly once, on a few threads. A job
// records its findings itself; GoogleTest assertions belong on the caller's
// thread afterwards.
template <class Job>
void run_in_parallel(std::size_t count, Job job, unsigned threads = 3) {
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t)
    workers.emplace_back([&] {
      for (std::size_t i = next++; i < count; i = next++) job(i);
    });
  for (auto& w : workers) w.join();
}

}  // namespace tarn::test
