# Install rules and the Debian package. Included at the end of the top-level
# CMakeLists.txt, after every executable target is defined, so that each
# executable that exists in this tree is installed.
include(GNUInstallDirs)

install(TARGETS morvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS morvel-lsp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET morvel-render)
  install(TARGETS morvel-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET morvel-cups)
  # CUPS looks for filters in lib/cups/filter, never in a multiarch folder.
  install(TARGETS morvel-cups RUNTIME DESTINATION lib/cups/filter)
  # The administrator's folder of the definitions queues may run: root's, 0755.
  install(DIRECTORY DESTINATION ${MORVEL_CUPS_DEFINITION_FOLDER}
          DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                                GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

# The batch and hot folder scripts, and the hot folder's systemd units (a
# relative path: /usr/lib/systemd/system in the package).
install(PROGRAMS service/morvel-batch service/morvel-hotfolder DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES service/systemd/morvel-hotfolder@.path service/systemd/morvel-hotfolder@.service
              service/systemd/morvel-hotfolder@.timer DESTINATION lib/systemd/system)
install(FILES service/hotfolder.conf DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages, compressed as Debian installs them; morvel-render.1 only with
# the renderer.
set(MORVEL_MAN_PAGES morvel.1 morvel-batch.1 morvel-hotfolder.1)
if(TARGET morvel-render)
  list(APPEND MORVEL_MAN_PAGES morvel-render.1)
endif()
if(TARGET morvel-cups)
  list(APPEND MORVEL_MAN_PAGES morvel-cups.8)
endif()
find_program(GZIP_PROGRAM gzip)
set(MORVEL_MAN_OUTPUTS)
foreach(page IN LISTS MORVEL_MAN_PAGES)
  if(GZIP_PROGRAM)
    set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page}
      COMMAND ${GZIP_PROGRAM} -9 -n -f ${CMAKE_BINARY_DIR}/man/${page}
      DEPENDS ${CMAKE_SOURCE_DIR}/man/${page}
      VERBATIM)
  else()
    set(out ${CMAKE_SOURCE_DIR}/man/${page})
  endif()
  list(APPEND MORVEL_MAN_OUTPUTS ${out})
  # Each page goes to the folder of its section (morvel-cups.8 to man8).
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# Debian's copyright file and a changelog in Debian's format, named as a
# native package names it.
set(MORVEL_DOC_FILES ${CMAKE_SOURCE_DIR}/packaging/copyright)
if(GZIP_PROGRAM)
  set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in
                 ${CMAKE_BINARY_DIR}/packaging/changelog.src @ONLY)
  add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/packaging/changelog.src ${CMAKE_BINARY_DIR}/packaging/changelog
    COMMAND ${GZIP_PROGRAM} -9 -n -f ${CMAKE_BINARY_DIR}/packaging/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.src
    VERBATIM)
  list(APPEND MORVEL_DOC_FILES ${changelog})
endif()
add_custom_target(morvel_install_files ALL DEPENDS ${MORVEL_MAN_OUTPUTS} ${MORVEL_DOC_FILES})
install(FILES ${MORVEL_DOC_FILES} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Editor support where each editor looks for it: Vim's vimfiles and Neovim's site
# folder (the same files serve both), Emacs' site-lisp, and the VS Code extension
# unpacked (docs/editors.md says how to install it).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/editors/vim/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vim/vimfiles)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/editors/vim/ DESTINATION ${CMAKE_INSTALL_DATADIR}/nvim/site)
install(FILES ${CMAKE_SOURCE_DIR}/editors/emacs/morvel-mode.el
        DESTINATION ${CMAKE_INSTALL_DATADIR}/emacs/site-lisp)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/editors/vscode/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/morvel/vscode)

# The manual, as far as the tree has one.
if(EXISTS ${CMAKE_SOURCE_DIR}/docs)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/manual)
endif()

# The examples with their inputs and expected outputs; run.sh stays executable.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
  PATTERN "out" EXCLUDE
  PATTERN "*.log" EXCLUDE
  PATTERN ".gitignore" EXCLUDE
  PATTERN "run.sh" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                               GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# cpack -G DEB in the build folder writes morvel_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME morvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Morvel developers")
set(CPACK_PACKAGE_CONTACT "Morvel developers <morvel-dev@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn application print output into PCL 5 jobs, text or XML")
# CPack takes the synopsis from the summary; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Morvel reads spool files, the print output of other applications as text pages
or XML, and turns them into PCL 5 printer jobs with fonts, boxes, forms, images
and barcodes, into text pages or into XML, as a definition file written in
Morvel's own language directs. It runs unattended under print servers and job
controllers and reports through its log file, a return-code file and its exit
code.")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
