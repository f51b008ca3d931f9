# The setup file, the install rules and the Debian package.
#
# typix-setup: the typix executable followed by the help document and the
# 12-byte trailer (both sizes and the byte-sum checksum, little-endian).  Run
# under a name containing "setup", the program installs itself from it.
#
# `cmake --install` puts the programs, the help, the icons, the desktop entry,
# the AppStream metainfo, the MIME type and the pedal udev rule in their
# standard places; `cpack -G DEB` (make package) packs them with the shared
# library dependencies worked out by dpkg-shlibdeps.
include(GNUInstallDirs)

set(TYPIX_HELP_DOCUMENT ${CMAKE_SOURCE_DIR}/src/ui/resources/help/typix-help.html)
set(TYPIX_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
set(TYPIX_GENERATED_DATA_DIR ${CMAKE_BINARY_DIR}/data)
set(TYPIX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/korvel-typix)

# The AppStream release and the package changelog carry the project version
# and release date.
configure_file(${TYPIX_DATA_DIR}/com.korvel.Typix.metainfo.xml.in
               ${TYPIX_GENERATED_DATA_DIR}/com.korvel.Typix.metainfo.xml @ONLY)
execute_process(COMMAND date -u -R -d "${TYPIX_RELEASE_DATE} 12:00:00"
                OUTPUT_VARIABLE TYPIX_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _typix_date_failed)
if(_typix_date_failed)
  message(FATAL_ERROR "cannot format the release date ${TYPIX_RELEASE_DATE}")
endif()
configure_file(${TYPIX_DATA_DIR}/debian/changelog.in ${TYPIX_GENERATED_DATA_DIR}/changelog @ONLY)

# Compressed as Debian wants them: best compression and no time stamp in the
# gzip header, so that the same sources make the same package.
function(typix_gzip out_var source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND gzip -9 -n -c ${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${output}")
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()
typix_gzip(_changelog_gz ${TYPIX_GENERATED_DATA_DIR}/changelog
           ${TYPIX_GENERATED_DATA_DIR}/changelog.gz)
# The manual pages (made with the version in src/CMakeLists.txt).
set(_manuals)
foreach(_page typix typixctl)
  typix_gzip(_page_gz ${CMAKE_BINARY_DIR}/man/${_page}.1 ${CMAKE_BINARY_DIR}/man/${_page}.1.gz)
  list(APPEND _manuals ${_page_gz})
endforeach()
add_custom_target(typix_package_docs ALL DEPENDS ${_changelog_gz} ${_manuals})

add_executable(typix-mksetup ${CMAKE_SOURCE_DIR}/src/app/setup-tool/typix-mksetup.cpp)
target_link_libraries(typix-mksetup PRIVATE typix_app)
typix_warnings(typix-mksetup)

if(TARGET typix)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/typix-setup
    COMMAND typix-mksetup $<TARGET_FILE:typix> ${TYPIX_HELP_DOCUMENT}
            ${CMAKE_BINARY_DIR}/typix-setup
    DEPENDS typix typix-mksetup ${TYPIX_HELP_DOCUMENT}
    COMMENT "Making the setup file typix-setup"
    VERBATIM)
  add_custom_target(typix_setup ALL DEPENDS ${CMAKE_BINARY_DIR}/typix-setup)
  if(TARGET typix_test_ui)
    # The installation tests run the real setup file.
    add_dependencies(typix_test_ui typix_setup)
  endif()

  install(TARGETS typix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_BINARY_DIR}/man/typix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${TYPIX_DATA_DIR}/com.korvel.Typix.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TYPIX_GENERATED_DATA_DIR}/com.korvel.Typix.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${TYPIX_DATA_DIR}/icons/com.korvel.Typix.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(_size 16 24 32 48 64 128 256)
    install(FILES ${TYPIX_DATA_DIR}/icons/${_size}x${_size}/com.korvel.Typix.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
endif()

install(TARGETS typixctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/man/typixctl.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TYPIX_DATA_DIR}/typixctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME typixctl)
install(FILES ${TYPIX_HELP_DOCUMENT} DESTINATION ${CMAKE_INSTALL_DATADIR}/korvel-typix)
install(FILES ${TYPIX_DATA_DIR}/com.korvel.Typix.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
# udev reads /usr/lib/udev/rules.d as well as /lib/udev/rules.d.
install(FILES ${TYPIX_DATA_DIR}/60-typix-pedals.rules
        DESTINATION lib/udev/rules.d)
install(FILES ${TYPIX_DATA_DIR}/debian/copyright ${_changelog_gz} DESTINATION ${TYPIX_DOC_DIR})

set(CPACK_PACKAGE_NAME korvel-typix)
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Transcription player for professional typists")
# One string: two strings here would become one list joined by ";".
set(CPACK_PACKAGE_DESCRIPTION
    "Korvel Typix keeps a queue of dictations, plays them with variable speed, foot
pedals and hot keys, and gives the typist a typing pad in the same window.
Dictations arrive by themselves from an FTP host, a shared network folder or a
mail attachment folder, and finished typing goes back to the author by e-mail.")
set(CPACK_PACKAGE_CONTACT "Korvel Typix maintainers <typix@korvel.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TYPIX_HOMEPAGE})
# The postinst reloads the udev rules so that a pedal already plugged in works.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TYPIX_DATA_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES ON)
# The Qt platform plugins are loaded at run time, so the linker cannot see them.
# FFmpeg's libraries are loaded at run time too (formats/FfmpegLibraries),
# by the major versions built against.
set(_typix_runtime_libs "")
foreach(_lib avcodec avformat avutil swresample)
  string(REGEX MATCH "^[0-9]+" _major "${FFMPEG_lib${_lib}_VERSION}")
  list(APPEND _typix_runtime_libs "lib${_lib}${_major}")
endforeach()
list(JOIN _typix_runtime_libs ", " _typix_runtime_libs)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, ${_typix_runtime_libs}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils, qt6-translations-l10n")
include(CPack)
