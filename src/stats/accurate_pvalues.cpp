#include "stats/accurate_pvalues.h"

#include <atomic>
#include <map>
#include <tuple>

#include "process/cancellation.h"
#include "stats/llr_threads.h"

std::vector<ColumnAnswer> answer_column_requests(const std::vector<ColumnRequest> &requests,
                                                 int threads) {
  using Key = std::tuple<int, std::vector<double>, double>;
  std::map<Key, size_t> first;  // the first request of each distinct kind
  std::vector<size_t> distinct, same_as(requests.size());
  for (size_t i = 0; i < requests.size(); ++i) {
    const auto found =
        first.emplace(Key(requests[i].N, requests[i].background, requests[i].x), distinct.size());
    if (found.second) distinct.push_back(i);
    same_as[i] = found.first->second;
  }
  std::vector<ColumnAnswer> answers(distinct.size());
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i; (i = next.fetch_add(1)) < distinct.size();) {
      throw_if_cancelled();
      const ColumnRequest &r = requests[distinct[i]];
      answers[i] = column_tail(r.N, r.background, r.x);
    }
  };
  if (!distinct.empty())
    run_on_threads(static_cast<int>(std::min<size_t>(threads, distinct.size())), worker);
  throw_if_cancelled();  // a tail cut short is never an answer
  std::vector<ColumnAnswer> out(requests.size());
  for (size_t i = 0; i < requests.size(); ++i) out[i] = answers[same_as[i]];
  return out;
}
