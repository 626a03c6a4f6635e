#include "error.h"

#include <cstring>

ToolExit errno_exit(const char *what, int error, int status) {
  return {std::string(what) + ": " + strerror(error) + "\n", status};
}
