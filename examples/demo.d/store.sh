# qxstore and qxmove: a delivery through tmp/, then a copy into another maildir.
echo
mkdir -p Mail/inbox/tmp  # git keeps no empty directories
echo "qxstore writes a message from standard input into tmp/, syncs it and renames it into new/."
step "printf 'From: you@example.org\nSubject: a note\n\nStored safely.\n' | qxstore -v Mail/inbox"
echo
echo "qxmove moves messages into another maildir's cur/, keeping their flags; -k copies."
mkdir -p Mail/archive/cur Mail/archive/new Mail/archive/tmp
step "qxmove -k -v ./Mail/inbox Mail/archive"
