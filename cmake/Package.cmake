# The Debian packages (scripts/package). The install tree goes to /opt/quorvel
# as it is; the commands, the desktop files, the man pages and the service's
# unit go to the system's own folders. Only for packaging: a plain
# `cmake --install --prefix <root>` must never write to /usr.
#
#   quorvel       the programs, the shipped data, /usr/bin/quorvel, quorvel-send
#                 and quorvel-service
#   quorvel-demo  smscsim, the demo tools, example contacts, /usr/bin/quorvel-demo

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
install(FILES ${PROJECT_SOURCE_DIR}/docs/smscsim.1 DESTINATION /usr/share/man/man1 COMPONENT demo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/demo/contacts DESTINATION demo COMPONENT demo)

# Installed, not enabled: the package opens no port until the administrator
# runs `systemctl enable --now quorvel-service`.
install(FILES ${PROJECT_SOURCE_DIR}/data/quorvel-service.service DESTINATION /lib/systemd/system
        COMPONENT programs)

# Desktop entry, metadata, icons and man pages, whichever exist.
file(GLOB _desktop CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/desktop/*.desktop)
file(GLOB _metainfo CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/desktop/*.metainfo.xml)
file(GLOB _manpages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.1)
list(FILTER _manpages EXCLUDE REGEX "/smscsim\\.1$")
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
if(_manpages)
    install(FILES ${_manpages} DESTINATION /usr/share/man/man1 COMPONENT programs)
endif()

set(CPACK_GENERATOR DEB)
# Staged with DESTDIR, so the rules with absolute destinations land in the
# package, never on this machine.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR Quorvel)
set(CPACK_PACKAGE_CONTACT "Quorvel maintainers <maintainers@quorvel.invalid>")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
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
set(CPACK_DEBIAN_QUORVEL_DESCRIPTION
    "SMS sender for the desktop\n\
 Quorvel writes SMS messages to mobile phones and sends them through a\n\
 Hayes modem dialling the operator's message centre (TAP) or through a web\n\
 service. Brindle, the operator module, drives the modem; quorvel-send sends\n\
 from scripts; quorvel-service is the reference web service.\n\
 .\n\
 Each user works on an installation of their own in ~/.local/share/quorvel,\n\
 made at the first start.")
set(CPACK_DEBIAN_DEMO_PACKAGE_NAME quorvel-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS "quorvel (= ${PROJECT_VERSION}-1)")
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
