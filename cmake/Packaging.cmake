# What the program installs besides its binaries, manual page and completion (those are installed by
# their own folders), and the Debian package CPack makes from all of it (scripts/package.sh).
#
# The package's version is the project's version; the release date beside it goes into the AppStream
# releases and the package's changelog.
set(VELMORA_RELEASE_DATE 2026-12-08)
set(VELMORA_APP_ID org.velmora.Velmora)
set(VELMORA_HOMEPAGE "https://velmora.example" CACHE STRING "The program's home page, named in its AppStream data")
set(VELMORA_SCREENSHOT_URL "${VELMORA_HOMEPAGE}/docs" CACHE STRING
    "Where the pictures of docs/ are published, for the screenshots of the AppStream data")
set(VELMORA_MAINTAINER "Velmora <packages@velmora.example>" CACHE STRING "The package's maintainer")

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${PROJECT_BINARY_DIR}/packaging)

install(FILES ${packaging}/${VELMORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${packaging}/${VELMORA_APP_ID}.metainfo.xml.in ${staged}/${VELMORA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${staged}/${VELMORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the drawing itself for any size, and the usual fixed sizes rendered from it, so that a
# menu never scales a 256 px picture down to 16 px on its own.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_svg ${packaging}/${VELMORA_APP_ID}.svg)
set(icon_files "")
foreach(size 16 22 24 32 48 64 128 256)
    set(png ${staged}/icons/${size}x${size}/${VELMORA_APP_ID}.png)
    add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon_svg}
        DEPENDS ${icon_svg}
        VERBATIM)
    list(APPEND icon_files ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(velmora_icons ALL DEPENDS ${icon_files})
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian wants a copyright file and a compressed changelog in the package's documentation folder.
# The changelog's one entry is this version; its date is the release date in RFC 5322 form.
execute_process(COMMAND date --utc --rfc-email --date "${VELMORA_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE VELMORA_RELEASE_DATE_RFC OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${packaging}/changelog.in ${staged}/changelog @ONLY)
add_custom_command(
    OUTPUT ${staged}/changelog.gz
    COMMAND gzip --best --no-name --keep --force ${staged}/changelog
    DEPENDS ${staged}/changelog
    VERBATIM)
add_custom_target(velmora_changelog ALL DEPENDS ${staged}/changelog.gz)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/velmora)
install(FILES ${packaging}/copyright ${staged}/changelog.gz DESTINATION ${docdir})

# --- the Debian package (cpack -G DEB, run by scripts/package.sh) ---
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "enter bank checks and drafts and print them with a MICR line")
# CPack puts the summary above this as the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velmora keeps the checks and bank drafts of a small business in check
databases (SQLite files) and prints them on letter-size check stock with an
E-13B MICR line, together with mailing labels, blank checks, deposit tickets
and voucher stock. It prints through CUPS or into PDF files, exports the
records to comma-delimited files and converts older Access (Jet) databases.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELMORA_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # velmora_<version>_amd64.deb
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the binaries link come from dpkg-shlibdeps; what is only loaded at run time is named
# here: the fonts that stand in for the checks' "Times New Roman" (Liberation Serif). (Qt's platform plugins
# for X11, Wayland and the offscreen platform ship in libqt6gui6, its CUPS print plugin in
# libqt6printsupport6, both linked; libmdb3 is linked by the Jet reader.)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# Printers are reached through the CUPS scheduler; a PDF file needs none.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups")
# The installed binaries carry no symbols; the path of the Jet reader compiled into the program is
# the packaged one only when the build's prefix is the package's.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/package)
include(CPack)
