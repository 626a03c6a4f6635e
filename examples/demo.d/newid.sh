echo
echo "qxnewid prints a fresh Message-ID; the Profile's FQDN: entry names its host part."
step "echo 'FQDN: mail.example.org' >>\"\$QUOBIX/profile\"; qxnewid"
