echo
echo "qxfolders prints the absolute path of every maildir below a directory,"
echo "or below the Profile's Maildir: entry; -0 ends each with a NUL for xargs -0."
step "mkdir -p Mail/inbox/.Sent/cur Mail/inbox/.Sent/new Mail/lists/cur Mail/lists/new"
step "qxfolders Mail"
