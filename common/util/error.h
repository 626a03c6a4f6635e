// How library code ends a tool: it throws a ToolExit instead of calling
// exit(), and the tool's main (through tool_main) writes the message and
// exits with the status. Code that can go on reports with return values.
#pragma once

#include <string>
#include <utility>

struct ToolExit {
  std::string message;  // written to standard error as is; empty for a quiet end
  int status = 0;
  std::string hint;  // when set, one more line after message: "<tool>: <hint>"

  // Made from a message and a status; a hint is added where one is known.
  ToolExit(std::string message = {}, int status = 0)
      : message(std::move(message)), status(status) {}
};

// The end perror would give: "what: <system text for error>\n" and status.
ToolExit errno_exit(const char *what, int error, int status);
