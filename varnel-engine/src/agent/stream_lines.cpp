#include "agent/stream_lines.hpp"

#include <unistd.h>

#include <cerrno>
#include <iterator>
#include <string_view>

#include "varnel/engine/text.hpp"

namespace varnel::agent {

bool LineChannel::send(std::vector<StreamLine>& lines) {
  bool delivered = false;
  {
    std::lock_guard lock(mutex_);
    if (!receiver_gone_) {
      if (queue_.empty()) {
        queue_.swap(lines);
      } else {
        queue_.insert(queue_.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
      }
      delivered = true;
    }
  }
  lines.clear();
  if (delivered) ready_.notify_one();
  return delivered;
}

void LineChannel::sender_done() {
  {
    std::lock_guard lock(mutex_);
    --senders_;
  }
  ready_.notify_one();
}

bool LineChannel::receive(std::vector<StreamLine>& lines) {
  lines.clear();
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [this] { return !queue_.empty() || senders_ == 0; });
  if (queue_.empty()) return false;
  lines.swap(queue_);
  return true;
}

void LineChannel::receiver_gone() {
  std::lock_guard lock(mutex_);
  receiver_gone_ = true;
  queue_.clear();
}

namespace {

StreamLine make_line(StreamTag tag, std::string bytes) {
  if (is_valid_utf8(bytes)) return {tag, std::move(bytes)};
  return {tag, lossy_utf8(bytes)};
}

}  // namespace

void read_lines(process::Fd fd, StreamTag tag, LineChannel& channel) noexcept {
  try {
    char buffer[reader_buffer_size];
    std::string partial;  // the start of a line that spans reads
    std::vector<StreamLine> lines;
    for (;;) {
      const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      const std::string_view chunk(buffer, static_cast<size_t>(n));
      size_t start = 0;
      for (size_t end; (end = chunk.find('\n', start)) != std::string_view::npos; start = end + 1) {
        std::string line;
        if (partial.empty()) {
          line.assign(chunk.substr(start, end - start));
        } else {
          partial.append(chunk.substr(start, end - start));
          line = std::move(partial);
          partial.clear();
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(make_line(tag, std::move(line)));
      }
      partial.append(chunk.substr(start));
      // Everything this read completed goes out now; nothing waits for more input.
      if (!lines.empty()) channel.send(lines);
    }
    if (!partial.empty()) {
      lines.push_back(make_line(tag, std::move(partial)));
      channel.send(lines);
    }
  } catch (...) {
    // Out of memory: stop reading like at a read error; the launch still completes.
  }
  fd.reset();
  channel.sender_done();
}

}  // namespace varnel::agent
