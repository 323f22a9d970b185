#include "agent/streaming.hpp"

#include <fmt/format.h>
#include <poll.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <thread>

#include "agent/events.hpp"
#include "agent/stream_lines.hpp"
#include "varnel/engine/stream.hpp"

namespace varnel::agent {
namespace {

// Writes all of `data` to `fd`. Echo is best effort: a closed or failing terminal must not
// end the run or lose the captured text, so errors drop the rest of this piece.
void write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n >= 0) {
      data.remove_prefix(static_cast<size_t>(n));
    } else if (errno == EAGAIN) {
      pollfd p{fd, POLLOUT, 0};
      (void)::poll(&p, 1, -1);
    } else if (errno != EINTR) {
      return;
    }
  }
}

// Collects what to show, in order, and writes it before the launching thread blocks
// again: lines that arrive together cost one write, and none waits for later ones.
class Echo {
 public:
  explicit Echo(EchoTargets targets) : targets_(targets) {}
  ~Echo() { flush(); }
  Echo(const Echo&) = delete;
  Echo& operator=(const Echo&) = delete;

  void out(std::string_view text) { append(targets_.out, text); }
  void err(std::string_view text) { append(targets_.err, text); }
  void out_line(std::string_view text) {
    out(text);
    out("\n");
  }
  void err_line(std::string_view text) {
    err(text);
    err("\n");
  }

  void flush() {
    if (!pending_.empty()) write_all(pending_fd_, pending_);
    pending_.clear();
  }

 private:
  static constexpr size_t flush_size = 64 * 1024;

  void append(int fd, std::string_view text) {
    // Switching streams flushes, so stdout and stderr pieces keep their relative order.
    if (fd != pending_fd_ || pending_.size() + text.size() > flush_size) flush();
    pending_fd_ = fd;
    if (text.size() > flush_size) {
      write_all(fd, text);  // large pieces skip the copy
    } else {
      pending_.append(text);
    }
  }

  EchoTargets targets_;
  int pending_fd_ = -1;
  std::string pending_;
};

// A stream's captured text, kept as the pieces that arrived and joined once at the end:
// growing one string by doubling would copy and fault in twice the final size.
class Captured {
 public:
  void add(std::string piece) {
    size_ += piece.size();
    pieces_.push_back(std::move(piece));
  }
  std::string take() {
    std::string text;
    text.reserve(size_);
    for (const auto& piece : pieces_) text += piece;
    pieces_.clear();
    return text;
  }

 private:
  std::vector<std::string> pieces_;
  size_t size_ = 0;
};

void show_rendered(std::string_view line, StreamTag stream, bool color, Echo& echo) {
  const stream::ParseOutcome outcome = stream::parse_stream_line(line);
  using Kind = stream::ParseOutcome::Kind;
  if (stream == StreamTag::Err) {
    // The agent's own diagnostics are shown; event lines on stderr are not.
    if (outcome.kind == Kind::Unrecognized) echo.err_line(line);
    return;
  }
  if (outcome.kind == Kind::Unrecognized) {
    echo.out_line(line);
    return;
  }
  for (const auto& event : outcome.events) {
    const stream::RenderedEvent rendered = stream::render_stream_event(event, color);
    if (!rendered.out.empty()) {
      echo.out(rendered.out);
      echo.flush();
    }
    if (!rendered.err.empty()) echo.err_line(rendered.err);
  }
}

}  // namespace

std::expected<AgentOutput, EngineError> run_streaming(const process::Command& command, EventRendering rendering,
                                                      EchoTargets targets) {
  process::Command piped = command;
  piped.inherit_stdin = true;
  const auto t = Clock::now();
  auto child = process::spawn_piped(piped);
  if (!child) return std::unexpected(EngineError::io(child.error().message));
  timed_event(log::Level::Debug, "agent spawned", t);

  process::Fd out_pipe = child->take_stdout();
  process::Fd err_pipe = child->take_stderr();
  if (!out_pipe) return std::unexpected(EngineError::execution_failed("Failed to capture stdout"));
  if (!err_pipe) return std::unexpected(EngineError::execution_failed("Failed to capture stderr"));

  // Declared after `child`: on every path out of here the readers are joined first (they
  // end when the agent's pipes reach end of input), then the child is reaped.
  LineChannel channel(2);
  std::jthread out_reader, err_reader;
  try {
    out_reader = std::jthread(read_lines, std::move(out_pipe), StreamTag::Out, std::ref(channel));
    err_reader = std::jthread(read_lines, std::move(err_pipe), StreamTag::Err, std::ref(channel));
  } catch (const std::system_error& e) {
    // A pipe whose reader did not start is closed by now; the one that did start reads
    // on, into a channel that drops what it gets, until the agent exits.
    channel.receiver_gone();
    return std::unexpected(EngineError::execution_failed(fmt::format("Failed to start reader thread: {}", e.what())));
  }

  Captured captured_out, captured_err;
  {
    Echo echo(targets);
    const bool raw = rendering == EventRendering::Raw;
    const bool color = rendering == EventRendering::Color;
    std::vector<StreamLines> batch;
    bool first = true;
    while (channel.receive(batch)) {
      if (first) {
        timed_event(log::Level::Info, "agent produced first output", t);
        first = false;
      }
      for (StreamLines& lines : batch) {
        const bool is_out = lines.stream == StreamTag::Out;
        if (raw) {
          is_out ? echo.out(lines.text) : echo.err(lines.text);
        } else {
          for_each_line(lines.text, [&](std::string_view line) { show_rendered(line, lines.stream, color, echo); });
        }
        (is_out ? captured_out : captured_err).add(std::move(lines.text));
      }
      echo.flush();
    }
  }

  // The channel is closed, so both readers have finished reading; joining is immediate.
  auto status = child->wait();
  if (!status) return std::unexpected(EngineError::io(status.error().message));
  timed_event(log::Level::Debug, "agent streaming completed", t);
  out_reader.join();
  err_reader.join();
  return AgentOutput{status->code_or(1), captured_out.take(), captured_err.take()};
}

}  // namespace varnel::agent
