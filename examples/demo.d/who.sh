# qxwho: who wrote and who was written to.
echo
echo "qxwho prints the mailboxes of the address headers; -a only the addresses."
step "qxwho -h from:to ./Mail/inbox"
step "qxwho -a -h from ./Mail/inbox | sort | uniq -c"
