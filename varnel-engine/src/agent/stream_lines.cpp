#include "agent/stream_lines.hpp"

#include <unistd.h>

#include <cerrno>

#include "varnel/engine/text.hpp"

namespace varnel::agent {

bool LineChannel::send(StreamLines lines) {
  {
    std::lock_guard lock(mutex_);
    if (receiver_gone_) return false;
    queue_.push_back(std::move(lines));
  }
  ready_.notify_one();
  return true;
}

void LineChannel::sender_done() {
  {
    std::lock_guard lock(mutex_);
    --senders_;
  }
  ready_.notify_one();
}

bool LineChannel::receive(std::vector<StreamLines>& out) {
  out.clear();
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [this] { return !queue_.empty() || senders_ == 0; });
  if (queue_.empty()) return false;
  out.swap(queue_);
  return true;
}

void LineChannel::receiver_gone() {
  std::lock_guard lock(mutex_);
  receiver_gone_ = true;
  queue_.clear();
}

namespace {

// "\n" is never part of a multi-byte sequence, so checking (and mending) the lines
// together treats each line exactly as checking it alone would.
void send_lines(LineChannel& channel, StreamTag tag, std::string text) {
  if (!is_valid_utf8(text)) text = lossy_utf8(text);
  channel.send({tag, std::move(text)});
}

}  // namespace

void read_lines(process::Fd fd, StreamTag tag, LineChannel& channel) noexcept {
  try {
    char buffer[reader_buffer_size];
    std::string partial;  // the start of a line that spans reads
    for (;;) {
      const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      std::string_view chunk(buffer, static_cast<size_t>(n));
      std::string lines;
      for (size_t end; (end = chunk.find('\n')) != std::string_view::npos;) {
        std::string_view line = chunk.substr(0, end);
        chunk.remove_prefix(end + 1);
        if (!partial.empty()) {
          partial.append(line);
          line = partial;
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lines.empty()) lines.reserve(line.size() + chunk.size() + 1);
        lines.append(line);
        lines += '\n';
        partial.clear();
      }
      partial.append(chunk);
      // Everything this read completed goes out now; nothing waits for more input.
      if (!lines.empty()) send_lines(channel, tag, std::move(lines));
    }
    if (!partial.empty()) {
      partial += '\n';
      send_lines(channel, tag, std::move(partial));
    }
  } catch (...) {
    // Out of memory: stop reading like at a read error; the launch still completes.
  }
  fd.reset();
  channel.sender_done();
}

}  // namespace varnel::agent
