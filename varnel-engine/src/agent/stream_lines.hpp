#pragma once
// The reader side of a streaming agent run: two threads turn the agent's stdout and
// stderr pipes into lines and hand them to the launching thread through one channel.

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "varnel/engine/process.hpp"

namespace varnel::agent {

enum class StreamTag { Out, Err };

// One line of agent output, without its terminator, as valid UTF-8.
struct StreamLine {
  StreamTag stream;
  std::string text;
};

// An unbounded channel with a fixed number of senders and one receiver. It closes when
// every sender is done; a send after the receiver has gone is dropped.
class LineChannel {
 public:
  explicit LineChannel(int senders) : senders_(senders) {}
  LineChannel(const LineChannel&) = delete;
  LineChannel& operator=(const LineChannel&) = delete;

  // Queues `lines` in order and leaves `lines` empty. Returns false (and drops them)
  // once the receiver is gone.
  bool send(std::vector<StreamLine>& lines);
  // Called once by each sender when it will send no more.
  void sender_done();

  // Blocks until lines are queued or the channel is closed, then moves every queued line
  // into `lines` (replacing its contents). Returns false once closed and drained.
  bool receive(std::vector<StreamLine>& lines);
  // Called by the receiver when it stops receiving.
  void receiver_gone();

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<StreamLine> queue_;
  int senders_;
  bool receiver_gone_ = false;
};

// Size of each reader's buffer; a longer line is still delivered whole.
inline constexpr size_t reader_buffer_size = 8192;

// Reads `fd` to its end, sending each line tagged `tag` to `channel` as soon as the read
// that completed it returns. A "\r" right before the "\n" is dropped, a final line without
// "\n" is still sent, and a line that is not valid UTF-8 is sent with U+FFFD in place of
// the bad bytes (reading goes on: stopping would close the pipe under a live agent).
// Stops at end of input or at a read error; then closes `fd` and calls sender_done().
void read_lines(process::Fd fd, StreamTag tag, LineChannel& channel) noexcept;

}  // namespace varnel::agent
