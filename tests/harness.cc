#include "harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr int kTimeoutSeconds = 20;

void set_nonblocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

std::string escaped(const std::string &text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\n')
      out += "\\n\n";
    else if (c == '\t')
      out += "\\t";
    else if (c < 32 || c >= 127) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else
      out += static_cast<char>(c);
  }
  return out;
}

// Leaves root for good: no supplementary groups, then the user's own group
// and user id, so the run has only the rights any user has.
bool become(unsigned user) {
  return setgroups(0, nullptr) == 0 && setgid(user) == 0 && setuid(user) == 0;
}

// Whether the user may enter the directory, and so every one above it.
bool can_enter(unsigned user, const std::string &directory) {
  pid_t child = fork();
  if (child == 0) _exit(become(user) && access(directory.c_str(), X_OK) == 0 ? 0 : 1);
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace

std::string bin_dir() {
  if (const char *dir = getenv("QUOBIX_TEST_BIN")) return dir;
  return QUOBIX_BIN_DIR;
}

void PrintTo(const RunResult &result, std::ostream *os) {
  *os << "\n--- status " << result.status << "\n--- stdout\n"
      << escaped(result.out) << "\n--- stderr\n"
      << escaped(result.err) << "\n---";
}

void Sandbox::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "quobix-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr) << strerror(errno);
  dir = pattern;
  env = {{"HOME", dir}, {"PATH", "/usr/local/bin:/usr/bin:/bin"}, {"LC_ALL", "C"}};
  for (const char *name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"})
    if (const char *value = getenv(name)) env[name] = value;
  fs::create_directories(dir + "/.quobix");
}

void Sandbox::TearDown() {
  std::error_code ignored;
  if (!dir.empty()) fs::remove_all(dir, ignored);
  if (!user_bin_.empty()) fs::remove_all(user_bin_, ignored);
}

std::string Sandbox::run_as(unsigned user) {
  if (geteuid() != 0) return "needs root to run under another user id";
  // Beside the sandbox, so that one place decides what the user reaches.
  std::string bin = (fs::path(dir).parent_path() / "quobix-bin-XXXXXX").string();
  if (mkdtemp(bin.data()) == nullptr)
    return "cannot make a directory for the programs: " + std::string(strerror(errno));
  user_bin_ = bin;
  for (const std::string &open : {dir, bin})
    if (chmod(open.c_str(), 0755) != 0 || !can_enter(user, open))
      return "user id " + std::to_string(user) + " cannot enter " + open +
             " (set TMPDIR to a directory every user may enter)";
  user_ = user;
  return "";
}

void Sandbox::set_env(const std::string &name, std::optional<std::string> value) {
  if (value)
    env[name] = *value;
  else
    env.erase(name);
}

std::string Sandbox::path(const std::string &relative) const {
  return relative.starts_with("/") ? relative : dir + "/" + relative;
}

void Sandbox::write_file(const std::string &relative, const std::string &content) {
  fs::path file = path(relative);
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

std::string Sandbox::read_file(const std::string &relative) const {
  std::ifstream in(path(relative), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Sandbox::exists(const std::string &relative) const {
  struct stat status;
  return lstat(path(relative).c_str(), &status) == 0;
}

void Sandbox::make_maildir(const std::string &relative) {
  for (const char *sub : {"/cur", "/new", "/tmp"}) fs::create_directories(path(relative) + sub);
}

void Sandbox::make_symlink(const std::string &target, const std::string &relative) {
  fs::path link = path(relative);
  fs::create_directories(link.parent_path());
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0) << strerror(errno);
}

std::string Sandbox::read_symlink(const std::string &relative) const {
  char target[4096];
  ssize_t length = readlink(path(relative).c_str(), target, sizeof target);
  return length < 0 ? "" : std::string(target, static_cast<size_t>(length));
}

std::vector<std::string> Sandbox::list_dir(const std::string &relative) const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto &entry : fs::directory_iterator(path(relative), error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

RunResult Sandbox::run(const std::vector<std::string> &argv, const std::string &input, Input mode,
                       Output output) {
  RunResult result;
  std::string program = argv.at(0);
  if (program.find('/') == std::string::npos) {
    program = bin_dir() + "/" + argv[0];
    if (user_) {
      // The other user runs a copy it can reach. A link such as qxmove is
      // copied as the program it names; argv[0] still tells them apart.
      std::string copy = user_bin_ + "/" + argv[0];
      std::error_code error;
      fs::copy_file(program, copy, fs::copy_options::skip_existing, error);
      if (error || chmod(copy.c_str(), 0755) != 0) {
        ADD_FAILURE() << "copy " << program << ": " << (error ? error.message() : strerror(errno));
        return result;
      }
      program = copy;
    }
  }
  std::vector<std::string> environment;
  for (const auto &[name, value] : env) environment.push_back(name + "=" + value);
  std::vector<char *> c_argv, c_env;
  for (const auto &arg : argv) c_argv.push_back(const_cast<char *>(arg.c_str()));
  for (const auto &entry : environment) c_env.push_back(const_cast<char *>(entry.c_str()));
  c_argv.push_back(nullptr);
  c_env.push_back(nullptr);

  int out_pipe[2], err_pipe[2], in_fds[2] = {-1, -1};
  int terminal = -1;  // pseudo-terminal master
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
    ADD_FAILURE() << "pipe: " << strerror(errno);
    return result;
  }
  if (mode == Input::Pipe) {
    if (pipe(in_fds) != 0) ADD_FAILURE() << "pipe: " << strerror(errno);
  } else {
    int slave = -1;
    if (openpty(&terminal, &slave, nullptr, nullptr, nullptr) != 0) {
      ADD_FAILURE() << "openpty: " << strerror(errno);
      return result;
    }
    in_fds[0] = slave;
  }
  if (output == Output::Terminal) {
    // The program writes to the slave; the master end is read as its output.
    int master = -1, slave = -1;
    struct termios raw;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 || tcgetattr(slave, &raw) != 0) {
      ADD_FAILURE() << "openpty: " << strerror(errno);
      return result;
    }
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    close(out_pipe[0]);
    close(out_pipe[1]);
    out_pipe[0] = master;
    out_pipe[1] = slave;
  }

  pid_t child = fork();
  if (child == 0) {
    setsid();
    if (mode == Input::Terminal) ioctl(in_fds[0], TIOCSCTTY, 0);
    dup2(in_fds[0], STDIN_FILENO);
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    for (int fd = 3; fd < 1024; ++fd) close(fd);
    if (chdir(dir.c_str()) != 0) _exit(126);
    if (user_ && !become(*user_)) _exit(126);
    execve(program.c_str(), c_argv.data(), c_env.data());
    fprintf(stderr, "exec %s: %s\n", program.c_str(), strerror(errno));
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  close(in_fds[0]);

  // What the parent writes to the child's standard input.
  int writer = mode == Input::Pipe ? in_fds[1] : terminal;
  std::string to_write = input;
  if (mode == Input::Terminal) {
    // Typed text ends with an end-of-file character at the start of a line.
    if (!to_write.empty() && to_write.back() != '\n') to_write += '\n';
    to_write += '\x04';
  }
  size_t written = 0;
  signal(SIGPIPE, SIG_IGN);
  set_nonblocking(writer);
  set_nonblocking(out_pipe[0]);
  set_nonblocking(err_pipe[0]);

  bool out_open = true, err_open = true;
  time_t deadline = time(nullptr) + kTimeoutSeconds;
  while (out_open || err_open) {
    std::vector<pollfd> fds;
    if (out_open) fds.push_back({out_pipe[0], POLLIN, 0});
    if (err_open) fds.push_back({err_pipe[0], POLLIN, 0});
    bool writing = writer >= 0 && written < to_write.size();
    if (writing) fds.push_back({writer, POLLOUT, 0});
    if (mode == Input::Terminal) fds.push_back({terminal, POLLIN, 0});
    if (time(nullptr) > deadline) {
      kill(child, SIGKILL);
      ADD_FAILURE() << argv[0] << " timed out";
      break;
    }
    if (poll(fds.data(), fds.size(), 1000) < 0 && errno != EINTR) break;
    for (const auto &p : fds) {
      if (!p.revents) continue;
      if (p.fd == writer && (p.events & POLLOUT)) {
        ssize_t n = write(writer, to_write.data() + written, to_write.size() - written);
        if (n > 0) written += static_cast<size_t>(n);
        if (n < 0 && errno != EAGAIN) written = to_write.size();
        if (mode == Input::Pipe && written == to_write.size()) {
          close(writer);
          writer = -1;
        }
        continue;
      }
      char chunk[65536];
      ssize_t n = read(p.fd, chunk, sizeof chunk);
      if (p.fd == terminal) continue;  // the terminal's echo is not output
      std::string &sink = p.fd == out_pipe[0] ? result.out : result.err;
      if (n > 0)
        sink.append(chunk, static_cast<size_t>(n));
      else if (n == 0 || errno != EAGAIN)
        (p.fd == out_pipe[0] ? out_open : err_open) = false;
    }
    if (mode == Input::Pipe && writer >= 0 && written == to_write.size()) {
      close(writer);
      writer = -1;
    }
  }
  if (writer >= 0 && mode == Input::Pipe) close(writer);
  if (terminal >= 0) close(terminal);
  close(out_pipe[0]);
  close(err_pipe[0]);

  int status = 0;
  waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}
