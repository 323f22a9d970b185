#pragma once
// The reader side of a streaming agent run: two threads turn the agent's stdout and
// stderr pipes into lines and hand them to the launching thread through one channel.

#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "varnel/engine/process.hpp"

namespace varnel::agent {

enum class StreamTag { Out, Err };

// The lines of one stream that one read completed, in order: valid UTF-8, each line
// followed by "\n" (the form in which they are echoed and captured). Carrying a read's
// lines in one message spares an allocation and a lock per line.
struct StreamLines {
  StreamTag stream;
  std::string text;
};

// Calls `fn(line)` for each line of `lines`, without its "\n".
template <class Fn>
void for_each_line(std::string_view lines, Fn&& fn) {
  while (!lines.empty()) {
    const size_t end = lines.find('\n');
    fn(lines.substr(0, end));
    lines.remove_prefix(end + 1);
  }
}

// An unbounded channel with a fixed number of senders and one receiver. It closes when
// every sender is done; a send after the receiver has gone is dropped.
class LineChannel {
 public:
  explicit LineChannel(int senders) : senders_(senders) {}
  LineChannel(const LineChannel&) = delete;
  LineChannel& operator=(const LineChannel&) = delete;

  // Queues `lines`. Returns false (and drops them) once the receiver is gone.
  bool send(StreamLines lines);
  // Called once by each sender when it will send no more.
  void sender_done();

  // Blocks until messages are queued or the channel is closed, then moves every queued
  // message into `out` (replacing its contents), in order. Returns false once closed and
  // drained.
  bool receive(std::vector<StreamLines>& out);
  // Called by the receiver when it stops receiving.
  void receiver_gone();

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<StreamLines> queue_;
  int senders_;
  bool receiver_gone_ = false;
};

// Size of each reader's buffer; a longer line is still delivered whole.
inline constexpr size_t reader_buffer_size = 8192;

// Reads `fd` to its end, sending the lines tagged `tag` to `channel` as soon as the read
// that completed them returns. A "\r" right before the "\n" is dropped, a final line
// without "\n" is still sent (with one added), and a line that is not valid UTF-8 is sent
// with U+FFFD in place of the bad bytes (reading goes on: stopping would close the pipe
// under a live agent). Stops at end of input or at a read error; then closes `fd` and
// calls sender_done().
void read_lines(process::Fd fd, StreamTag tag, LineChannel& channel) noexcept;

}  // namespace varnel::agent
