# Precompiled headers: most of a compile here went into parsing the same standard library, Qt and
# GoogleTest headers again for every source. Each build compiles three headers once, each in a small
# library of its own that makes nothing else, and the program's libraries, the tests and the
# benchmarks reuse them:
#   core     the standard library headers nearly every source includes;
#   widgets  core and the Qt Widgets classes the screens are made of;
#   tests    widgets and GoogleTest, for the test suites only (the benchmarks take widgets: their own
#            velmora::testing helpers would meet GoogleTest's ::testing there).
# A precompiled header is only a faster way to read headers a source includes anyway: every source
# still includes what it uses. scripts/clang-tidy.sh parses each source without them, so a source
# that leans on one without its own include fails there.
#
# A reused header is only valid when it is compiled with the options of its users. Every target of a
# build shares the same compile options; the definitions the headers look at come from the usage
# requirements the donor shares with its users (velmora_base's QT_NO_KEYWORDS, Qt's module macros).
# If they ever differ, GCC says so (-Winvalid-pch, an error here) rather than silently parse twice.
option(VELMORA_PRECOMPILE_HEADERS "Precompile the standard, Qt and GoogleTest headers that most sources include" ON)

# ccache caches a compile that reads a precompiled header only when it is told to take the macros
# and time stamps inside that header as they are (it cannot see them in the source); without this
# it compiles every such source again each time. Set here, before any target, so that each target's
# launcher says it.
if(VELMORA_PRECOMPILE_HEADERS AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "(^|/)ccache$")
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros
        ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

set(VELMORA_PCH_core
    <algorithm> <array> <chrono> <cstddef> <cstdint> <filesystem> <fstream> <functional> <iostream>
    <map> <memory> <optional> <set> <span> <stdexcept> <string> <string_view> <utility> <vector>)
set(VELMORA_PCH_widgets
    ${VELMORA_PCH_core}
    <QApplication> <QCheckBox> <QDialog> <QHBoxLayout> <QKeyEvent> <QLabel> <QLineEdit> <QMenu>
    <QMenuBar> <QPlainTextEdit> <QPushButton> <QString> <QTimer> <QVBoxLayout>)
set(VELMORA_PCH_tests ${VELMORA_PCH_widgets} <gtest/gtest.h>)
# What the headers of each need to be found and read as their users read them.
set(VELMORA_PCH_USES_core velmora_base Qt6::Core)
set(VELMORA_PCH_USES_widgets velmora_base Qt6::Widgets)
set(VELMORA_PCH_USES_tests velmora_base Qt6::Widgets GTest::gtest)

# GCC 12 warns, falsely, of a copy out of bounds in std::string's inlined moves in these sources when
# <string> comes precompiled (the same family of GCC 12 faults as -Wno-restrict in CMakeLists.txt);
# read as text, they compile clean, so they are. A new source that fails the optimised build with
# "-Werror=array-bounds" inside char_traits.h only when the header is precompiled belongs here.
set(VELMORA_PCH_SKIPPED app/SettingsStore.cpp export/ExportFormats.cpp tests/print/StockProductsTest.cpp)

# Lets each target named after `kind` reuse the precompiled header `kind` (core, widgets or tests).
function(velmora_precompile kind)
    if(NOT VELMORA_PRECOMPILE_HEADERS)
        return()
    endif()
    set(donor velmora_pch_${kind})
    if(NOT TARGET ${donor})
        if(NOT DEFINED VELMORA_PCH_${kind})
            message(FATAL_ERROR "velmora_precompile: no precompiled header '${kind}'")
        endif()
        # CMake compiles a precompiled header only for a target with a source of the language; the
        # donor's is empty, and nothing links its object.
        set(source ${PROJECT_BINARY_DIR}/pch/${kind}.cpp)
        file(CONFIGURE OUTPUT ${source} CONTENT "// The precompiled header ${kind} is made with this empty source.\n")
        add_library(${donor} OBJECT ${source})
        set_target_properties(${donor} PROPERTIES AUTOMOC OFF)
        target_link_libraries(${donor} PRIVATE ${VELMORA_PCH_USES_${kind}})
        target_precompile_headers(${donor} PRIVATE ${VELMORA_PCH_${kind}})
    endif()
    foreach(target IN LISTS ARGN)
        target_precompile_headers(${target} REUSE_FROM ${donor})
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            get_target_property(sources ${target} SOURCES)
            get_target_property(folder ${target} SOURCE_DIR)
            foreach(source IN LISTS sources)
                get_filename_component(source ${source} ABSOLUTE BASE_DIR ${folder})
                file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${source})
                if(name IN_LIST VELMORA_PCH_SKIPPED)
                    set_source_files_properties(${source} TARGET_DIRECTORY ${target}
                                                PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
                endif()
            endforeach()
        endif()
    endforeach()
endfunction()

# Gives each box's library the header that fits it: widgets to the boxes on Qt Widgets (directly,
# through QtPrintSupport, or through a box they use), core to the other boxes on Qt, none to the boxes
# that use no Qt at all (base and the MICR font), which stay as plain as they are.
function(velmora_precompile_boxes)
    foreach(box IN LISTS VELMORA_BOXES)
        set(library ${VELMORA_BOX_LIBRARY_${box}})
        get_target_property(links ${library} LINK_LIBRARIES)
        set(kind "")
        if(links MATCHES "Qt6::(Widgets|PrintSupport)")
            set(kind widgets)
        elseif(links MATCHES "Qt6::")
            set(kind core)
        endif()
        foreach(used IN LISTS VELMORA_BOX_USES_${box})
            if(_velmora_pch_kind_${used} STREQUAL "widgets" OR (kind STREQUAL "" AND _velmora_pch_kind_${used}))
                set(kind ${_velmora_pch_kind_${used}})
            endif()
        endforeach()
        set(_velmora_pch_kind_${box} ${kind})
        if(kind)
            velmora_precompile(${kind} ${library})
        endif()
    endforeach()
endfunction()
