# The Debian packages (scripts/package). The install tree goes to /opt/quorvel
# as it is; the commands, the desktop files, the man pages and the service's
# unit go to the system's own folders. Only for packaging: a plain
# `cmake --install --prefix <root>` must never write to /usr.
#
#   quorvel       the programs, the shipped data, /usr/bin/quorvel, quorvel-send
#                 and quorvel-service, the user guide in /usr/share/doc/quorvel
#   quorvel-demo  smscsim, quorvel-setting, example contacts, /usr/bin/quorvel-demo

set(QUORVEL_PACKAGE_ROOT /opt/quorvel)
set(CMAKE_INSTALL_PREFIX ${QUORVEL_PACKAGE_ROOT} CACHE PATH "Install prefix" FORCE)
set(_pkg ${PROJECT_SOURCE_DIR}/data/package)

# The commands. quorvel and quorvel-send go through the launcher, which makes
# the per-user installation; the service needs no installation at all.
install(PROGRAMS ${_pkg}/quorvel-launcher DESTINATION bin COMPONENT programs)
install(PROGRAMS ${_pkg}/quorvel-demo DESTINATION bin COMPONENT demo)
set(_links ${PROJECT_BINARY_DIR}/package-links)
file(MAKE_DIRECTORY ${_links})
foreach(_link quorvel:quorvel-launcher quorvel-send:quorvel-launcher
        quorvel-service:quorvel-service)
    string(REPLACE ":" ";" _pair ${_link})
    list(GET _pair 0 _name)
    list(GET _pair 1 _target)
    file(CREATE_LINK ${QUORVEL_PACKAGE_ROOT}/bin/${_target} ${_links}/${_name} SYMBOLIC)
    install(FILES ${_links}/${_name} DESTINATION /usr/bin COMPONENT programs)
endforeach()
file(CREATE_LINK ${QUORVEL_PACKAGE_ROOT}/bin/quorvel-demo ${_links}/quorvel-demo SYMBOLIC)
install(FILES ${_links}/quorvel-demo DESTINATION /usr/bin COMPONENT demo)
file(CREATE_LINK ${QUORVEL_PACKAGE_ROOT}/bin/smscsim ${_links}/smscsim SYMBOLIC)
install(FILES ${_links}/smscsim DESTINATION /usr/bin COMPONENT demo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/demo/contacts DESTINATION demo COMPONENT demo)

# Installed, not enabled: the package opens no port until the administrator
# runs `systemctl enable --now quorvel-service`.
install(FILES ${PROJECT_SOURCE_DIR}/data/quorvel-service.service DESTINATION /lib/systemd/system
        COMPONENT programs)

# Desktop entry, metadata, icons and man pages, whichever exist.
file(GLOB _desktop CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/desktop/*.desktop)
file(GLOB _metainfo CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/desktop/*.metainfo.xml)
file(GLOB _manpages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.1)
# The demo package's pages; the others are quorvel's.
set(_demo_pages ${PROJECT_SOURCE_DIR}/docs/smscsim.1 ${PROJECT_SOURCE_DIR}/docs/quorvel-demo.1)
list(REMOVE_ITEM _manpages ${_demo_pages})
if(_desktop)
    install(FILES ${_desktop} DESTINATION /usr/share/applications COMPONENT programs)
endif()
if(_metainfo)
    install(FILES ${_metainfo} DESTINATION /usr/share/metainfo COMPONENT programs)
endif()
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/data/desktop/icons/hicolor)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/desktop/icons/hicolor/
            DESTINATION /usr/share/icons/hicolor COMPONENT programs)
endif()

# Every file that names the version names the project's.
function(quorvel_check_version file regex)
    file(READ ${file} _text)
    if(NOT _text MATCHES "${regex}")
        message(FATAL_ERROR "${file} names no version")
    endif()
    if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
        message(FATAL_ERROR "${file} names version ${CMAKE_MATCH_1}, the project ${PROJECT_VERSION}")
    endif()
endfunction()
set(QUORVEL_PACKAGE_RELEASE 1)
foreach(_file ${_metainfo})
    quorvel_check_version(${_file} "<release version=\"([^\"]*)\"")
endforeach()
foreach(_page ${_manpages} ${_demo_pages})
    quorvel_check_version(${_page} "\\.TH [^\n]*\"Quorvel ([^\"]*)\"")
endforeach()
quorvel_check_version(${_pkg}/changelog "^quorvel \\(([^)-]*)-${QUORVEL_PACKAGE_RELEASE}\\)")

# Man pages and the changelog compressed as Debian wants them: gzip -9n, no
# name or time inside, so the same text always gives the same bytes.
set(_gz ${PROJECT_BINARY_DIR}/package-gz)
file(MAKE_DIRECTORY ${_gz})
set(_gzipped)
foreach(_file ${_manpages} ${_demo_pages} ${_pkg}/changelog)
    get_filename_component(_name ${_file} NAME)
    if(_name STREQUAL changelog)
        set(_name changelog.Debian)
    endif()
    add_custom_command(OUTPUT ${_gz}/${_name}.gz
                       COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" gzip ${_file} ${_gz}/${_name}.gz
                       DEPENDS ${_file} VERBATIM)
    list(APPEND _gzipped ${_gz}/${_name}.gz)
endforeach()
add_custom_target(package_gz ALL DEPENDS ${_gzipped})
foreach(_page ${_manpages} ${_demo_pages})
    get_filename_component(_name ${_page} NAME)
    set(_component programs)
    if(_page IN_LIST _demo_pages)
        set(_component demo)
    endif()
    install(FILES ${_gz}/${_name}.gz DESTINATION /usr/share/man/man1 COMPONENT ${_component})
endforeach()
# The plain installation keeps quorvel-send's page beside the program; the
# package has it once, in /usr/share/man (runs after src/send's rule).
install(CODE [[
    set(_share "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share")
    file(REMOVE_RECURSE "${_share}/man")
    file(GLOB _left "${_share}/*")
    if(NOT _left)
        file(REMOVE_RECURSE "${_share}")
    endif()
]] COMPONENT programs)

# Every program stripped as Debian strips it: no symbols, and none of the
# compiler's notes (CPack's own stripping leaves them).
foreach(_component programs demo)
    install(CODE [[
        file(GLOB_RECURSE _files "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/*")
        foreach(_file ${_files})
            file(READ ${_file} _magic LIMIT 4 HEX)
            if(_magic STREQUAL "7f454c46" AND NOT IS_SYMLINK ${_file})
                execute_process(COMMAND strip --remove-section=.comment --remove-section=.note
                                        --strip-unneeded ${_file} COMMAND_ERROR_IS_FATAL ANY)
            endif()
        endforeach()
    ]] COMPONENT ${_component})
endforeach()

# /usr/share/doc: each package's copyright and changelog; quorvel's has the
# user guide with its pictures and the pages the guide refers to, where the
# manual pages point.
install(FILES ${_pkg}/copyright ${_gz}/changelog.Debian.gz ${PROJECT_SOURCE_DIR}/docs/USER-GUIDE.md
              ${PROJECT_SOURCE_DIR}/docs/brindle-config.md ${PROJECT_SOURCE_DIR}/docs/service.md
              ${PROJECT_SOURCE_DIR}/docs/mobile-modem.md
        DESTINATION /usr/share/doc/quorvel COMPONENT programs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/guide DESTINATION /usr/share/doc/quorvel
        COMPONENT programs FILES_MATCHING PATTERN "*.png")
install(FILES ${_pkg}/copyright ${_gz}/changelog.Debian.gz ${PROJECT_SOURCE_DIR}/docs/smscsim.md
        DESTINATION /usr/share/doc/quorvel-demo COMPONENT demo)
# What lintian is not to report, each with its reason.
install(FILES ${_pkg}/quorvel.lintian-overrides DESTINATION /usr/share/lintian/overrides
        RENAME quorvel COMPONENT programs)
install(FILES ${_pkg}/quorvel-demo.lintian-overrides DESTINATION /usr/share/lintian/overrides
        RENAME quorvel-demo COMPONENT demo)

set(CPACK_GENERATOR DEB)
# Staged with DESTDIR, so the rules with absolute destinations land in the
# package, never on this machine.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR Quorvel)
set(CPACK_PACKAGE_CONTACT "Quorvel maintainers <maintainers@quorvel.invalid>")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUORVEL_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENTS_ALL programs data demo)

set(CPACK_DEBIAN_QUORVEL_PACKAGE_NAME quorvel)
# Qt loads its window-system and SVG icon plugins at run time: no library
# dependency shows them.
set(CPACK_DEBIAN_QUORVEL_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# CPack starts every line after the summary with one blank and makes an empty
# line " .": the lines here have no blank of their own.
set(CPACK_DEBIAN_QUORVEL_DESCRIPTION
    "SMS sender for the desktop\n\
Quorvel writes SMS messages to mobile phones and sends them through a\n\
Hayes modem dialling the operator's message centre (TAP) or through a web\n\
service. Brindle, the operator module, drives the modem; quorvel-send sends\n\
from scripts; quorvel-service is the reference web service.\n\
\n\
Each user works on an installation of their own in ~/.local/share/quorvel,\n\
made at the first start.")
set(CPACK_DEBIAN_DEMO_PACKAGE_NAME quorvel-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS "quorvel (= ${PROJECT_VERSION}-${QUORVEL_PACKAGE_RELEASE})")
set(CPACK_DEBIAN_DEMO_DESCRIPTION
    "Quorvel demo: a simulated message centre and example contacts\n\
smscsim, a Hayes modem and TAP message centre on a pseudo-terminal, and\n\
quorvel-demo, which runs Quorvel on a demo installation of its own with the\n\
simulator as its modem and an address book of example vCards.")

include(CPack)
cpack_add_component_group(quorvel)
cpack_add_component_group(demo)
cpack_add_component(programs GROUP quorvel)
cpack_add_component(data GROUP quorvel)
cpack_add_component(demo GROUP demo)
