# qxsearch: part of examples/demo.sh (sourced; uses its step function).
echo
echo "qxsearch matches one header, every header (*), the text bodies (/) or the flags."
step "qxsearch -h subject:engine ./Mail/inbox"
step "qxsearch -p -a 'from:@example\\.net\$' ./Mail/inbox"
step "qxsearch -h '/:[Tt]hursday|Friday' ./Mail/inbox"
step "qxsearch -c :F ./Mail/inbox"
