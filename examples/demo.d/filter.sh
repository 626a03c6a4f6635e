# qxfilter's part of the tour (sourced by examples/demo.sh).
echo
echo "qxfilter selects messages with a test and prints their names."
step "qxfilter -t 'from.addr ~~ \"*@example.org\" && flagged' ./Mail/inbox"
echo
echo "Thread mode: indent the second name to make a thread; -T prints every"
echo "thread with a message from Charles."
step "qxfilter ./Mail/inbox | sed '2s/^/ /' | qxfilter -T -t 'from.disp =~ \"Charles\"'"
echo
echo "Redirections sort messages into lists in one run."
step "qxfilter -v -t 'subject =~ \"^Re:\" > \"replies\" || print >> \"others\"' ./Mail/inbox >/dev/null; cat replies"
