// The recursive walk of qxfolders: finds maildirs below a directory and
// prints their absolute paths in the order the directories are read.
#pragma once

struct FolderSettings {
  char separator = '\n';  // written after each path
  bool show_all = false;  // also descend into the plain subdirectories of a maildir
};

// Prints every maildir at or below directory, which may be a symbolic link
// (links met inside the walk are not followed). Leaves the process in the
// parent of the directory's target. Returns false when it could not change
// back to a parent directory, so that the working directory is unknown.
bool folder_walk(const char *directory, const FolderSettings &settings);
