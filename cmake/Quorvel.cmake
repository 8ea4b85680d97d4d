# Shared build settings for every target of the project.
function(quorvel_target_settings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
    if(QUORVEL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A logic library: Qt Core (and optionally Network/SerialPort) only, never Widgets.
# Linking no Widgets is what keeps window code out of it.
function(quorvel_logic_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC Qt6::Core ${ARG_LIBS})
    quorvel_target_settings(${name})
    get_target_property(_libs ${name} LINK_LIBRARIES)
    if("Qt6::Widgets" IN_LIST _libs OR "Qt6::Gui" IN_LIST _libs)
        message(FATAL_ERROR "${name} is a logic library and must not link Qt Widgets or Gui")
    endif()
endfunction()

# A window library: thin widgets over the logic.
function(quorvel_ui_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARG_LIBS})
    quorvel_target_settings(${name})
    set_target_properties(${name} PROPERTIES QUORVEL_WINDOWS ON)
endfunction()

# Whether a target is a window library or links one publicly.
function(quorvel_links_windows out target)
    set(found FALSE)
    if(TARGET ${target})
        get_target_property(windows ${target} QUORVEL_WINDOWS)
        get_target_property(imported ${target} IMPORTED)
        if(windows)
            set(found TRUE)
        elseif(NOT imported)
            get_target_property(libs ${target} INTERFACE_LINK_LIBRARIES)
            foreach(lib IN LISTS libs)
                quorvel_links_windows(found ${lib})
                if(found)
                    break()
                endif()
            endforeach()
        endif()
    endif()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# Every test carries one level label, so that `ctest -L <level>` runs a level
# alone: logic (headless), window (drives windows, offscreen or under Xvfb),
# e2e (the installed programs against the simulator), fuzz (the seed replays).
# scripts/check-test-levels holds every test of a build to it.

# One test executable per unit; each test case runs in a folder of its own
# (the fixtures make it) with no display. Its level: e2e in tests/e2e, window
# when it links a window library, logic otherwise.
function(quorvel_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT;SCREEN" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quorvel_test_support ${ARG_LIBS} GTest::gtest GTest::gmock)
    quorvel_target_settings(${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    # SCREEN: the offscreen screen's description, when the size matters.
    set(platform offscreen)
    if(ARG_SCREEN)
        set(platform offscreen:configfile=${ARG_SCREEN})
    endif()
    set(level logic)
    foreach(lib IN LISTS ARG_LIBS)
        quorvel_links_windows(windows ${lib})
        if(windows)
            set(level window)
        endif()
    endforeach()
    if(CMAKE_CURRENT_SOURCE_DIR MATCHES "/tests/e2e$")
        set(level e2e)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 30
        PROPERTIES
            LABELS ${level}
            ENVIRONMENT "QT_QPA_PLATFORM=${platform};QUORVEL_SOURCE_DIR=${PROJECT_SOURCE_DIR};QUORVEL_BINARY_DIR=${PROJECT_BINARY_DIR}"
            TIMEOUT ${ARG_TIMEOUT})
endfunction()
