# qxencode: a draft with an attachment line becomes a MIME message.
mkdir -p examples && cp "$HERE/draft" "$HERE/notes.txt" examples/
echo
echo "qxencode turns a draft into MIME; a body line '#type file>name' attaches a file."
step "cat examples/draft"
step "qxencode < examples/draft | head -n 24"
step "qxencode -c < examples/draft; echo \"needs MIME: exit \$?\""
