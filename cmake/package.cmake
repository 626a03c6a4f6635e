# make package: a .deb and a .tar.gz of what make install installs (the
# programs, the manual pages and the completions), built by CPack from the
# build in build-package/, whose prefix is /usr.
set(CPACK_PACKAGE_NAME quobix)
set(CPACK_PACKAGE_VENDOR quobix)
set(CPACK_PACKAGE_CONTACT "quobix developers <quobix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small, fast command-line tools for mail in maildir folders")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends: from the libraries the programs link
endif()
include(CPack)
