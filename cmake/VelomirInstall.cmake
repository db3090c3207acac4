# What `cmake --install` puts where (GNUInstallDirs), and the Debian package CPack makes of it.
include(GNUInstallDirs)

set(VELOMIR_APP_ID org.velomir.Velomir)
# The day this version was released: the metainfo's release and the manual pages carry it.
set(VELOMIR_RELEASE_DATE 2026-12-08)
set(resources ${PROJECT_SOURCE_DIR}/resources)

install(TARGETS velomir-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/screenshots DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

find_program(HELP2MAN help2man)
if(HELP2MAN)
    set(cli_page ${PROJECT_BINARY_DIR}/man/velomir-cli.1)
    add_custom_command(OUTPUT ${cli_page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
                --name=list\ and\ save\ the\ tracks\ behind\ a\ NetEase\ Cloud\ Music\ link
                --include=${resources}/man/velomir-cli.h2m --output=${cli_page} $<TARGET_FILE:velomir-cli>
        DEPENDS velomir-cli ${resources}/man/velomir-cli.h2m
        COMMENT "Writing the manual page of velomir-cli from its --help")
    add_custom_target(velomir-cli-manual ALL DEPENDS ${cli_page})
    install(FILES ${cli_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(WARNING "help2man not found: velomir-cli(1) is not made (tools/setup.sh installs it)")
endif()

if(TARGET velomir)
    install(TARGETS velomir RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${resources}/desktop/${VELOMIR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(${resources}/desktop/${VELOMIR_APP_ID}.metainfo.xml.in
                   ${PROJECT_BINARY_DIR}/${VELOMIR_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${VELOMIR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(DIRECTORY ${resources}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
    configure_file(${resources}/man/velomir.1.in ${PROJECT_BINARY_DIR}/man/velomir.1 @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/man/velomir.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The Debian package: velomir_VERSION_ARCH.deb, its Depends read off the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velomir)
set(CPACK_PACKAGE_VENDOR "The Velomir developers")
# No mailing list yet: the address is marked invalid rather than made up.
set(CPACK_PACKAGE_CONTACT "The Velomir developers <velomir-developers@lists.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lists the tracks behind a NetEase Cloud Music link")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Paste a link or numeric ID of a NetEase Cloud Music playlist, album, song, radio\n\
programme, radio station or artist, a share text or short link, or type a song\n\
name: Velomir recognises the kind, asks the service and lists every track with\n\
its name, artists, album, cover and an audio address that plays. It copies\n\
addresses, exports M3U playlists and plays a preview. velomir-cli prints the\n\
same lists as a table, TSV, JSON or M3U.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(VELOMIR_HOME_PAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELOMIR_HOME_PAGE}")
endif()
# The preview plays MP3 through GStreamer; the window's captions want a CJK font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly | gstreamer1.0-libav, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
