# Precompiled headers shared by many targets. The window libraries and the tests spend most of
# each compile parsing the same Qt and GoogleTest headers; each set below is compiled once, in a
# holder target, and reused by every target whose flags match it.
# Turn off with -DMORVANE_PCH=OFF (e.g. to check that every file includes what it uses).
option(MORVANE_PCH "Share precompiled Qt and GoogleTest headers between targets" ON)

set(MORVANE_PCH_QT_HEADERS
    <QString> <QStringList> <QByteArray> <QObject> <QPointer> <QFile> <QDir> <QFileInfo>
    <QTimer> <QElapsedTimer> <QCoreApplication> <QGuiApplication> <QApplication> <QScreen>
    <QWidget> <QLabel> <QPushButton> <QLineEdit> <QMenu> <QVBoxLayout> <QHBoxLayout>
    <QGridLayout> <QKeyEvent> <QCloseEvent> <QMimeData> <QImage> <QPainter> <QIcon>
    <algorithm> <array> <vector> <string> <optional> <memory> <functional> <cstdint> <cmath>)

# morvane_pch_holder(NAME HEADERS... LINK targets...): a library of one empty file that
# compiles the header set with the flags its users share.
function(morvane_pch_holder name)
    cmake_parse_arguments(A "" "" "HEADERS;LINK" ${ARGN})
    set(empty ${CMAKE_BINARY_DIR}/${name}.cpp)
    if(NOT EXISTS ${empty})
        file(WRITE ${empty} "// Compiles the precompiled headers of ${name}; no code of its own.\n")
    endif()
    add_library(${name} STATIC ${empty})
    set_target_properties(${name} PROPERTIES AUTOMOC OFF)
    target_link_libraries(${name} PRIVATE ${A_LINK})
    target_precompile_headers(${name} PRIVATE ${A_HEADERS})
endfunction()

# morvane_use_pch(TARGET HOLDER)
function(morvane_use_pch target holder)
    if(MORVANE_PCH AND TARGET ${holder})
        target_precompile_headers(${target} REUSE_FROM ${holder})
    endif()
endfunction()

if(MORVANE_PCH)
    morvane_pch_holder(morvane_pch_widgets HEADERS ${MORVANE_PCH_QT_HEADERS}
        LINK morvane_warnings morvane_engine Qt6::Widgets)
endif()
