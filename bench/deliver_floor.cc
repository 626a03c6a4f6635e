// The floor qxstore and qxmove are measured against: the least any safe
// maildir delivery must do.
//   deliver_floor write DIR COUNT SIZE [nosync]
//     writes COUNT messages of SIZE bytes: exclusive create in DIR/tmp/,
//     write, fsync (unless nosync), close, rename into DIR/new/.
//   deliver_floor rename FROM TO
//     renames every file of FROM/cur/ into TO/cur/.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int write_all(const char *dir, long count, size_t size, bool sync) {
  std::string message(size, 'x');
  for (long i = 0; i < count; ++i) {
    std::string name = std::to_string(i) + ".floor";
    std::string temporary = std::string(dir) + "/tmp/" + name;
    std::string final = std::string(dir) + "/new/" + name + ":2,";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0 || write(fd, message.data(), size) != static_cast<ssize_t>(size) ||
        (sync && fsync(fd) != 0) || close(fd) != 0 ||
        rename(temporary.c_str(), final.c_str()) != 0) {
      perror(temporary.c_str());
      return 1;
    }
  }
  return 0;
}

int rename_all(const char *from, const char *to) {
  std::string source = std::string(from) + "/cur/";
  std::string target = std::string(to) + "/cur/";
  DIR *listing = opendir(source.c_str());
  if (!listing) {
    perror(source.c_str());
    return 1;
  }
  while (dirent *entry = readdir(listing)) {
    if (entry->d_name[0] == '.') continue;
    if (rename((source + entry->d_name).c_str(), (target + entry->d_name).c_str()) != 0) {
      perror(entry->d_name);
      return 1;
    }
  }
  closedir(listing);
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  if (argc >= 5 && strcmp(argv[1], "write") == 0)
    return write_all(argv[2], atol(argv[3]), static_cast<size_t>(atol(argv[4])),
                     !(argc > 5 && strcmp(argv[5], "nosync") == 0));
  if (argc == 4 && strcmp(argv[1], "rename") == 0) return rename_all(argv[2], argv[3]);
  fputs("Usage: deliver_floor write DIR COUNT SIZE [nosync] | rename FROM TO\n", stderr);
  return 1;
}
