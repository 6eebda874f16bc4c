# Qt's and GoogleTest's headers are most of what every source file here compiles: each target
# compiles them once into a precompiled header instead of once per source file, which roughly
# halves a fresh build on two cores. -DTHERMOBADGE_PCH=OFF builds without.
option(THERMOBADGE_PCH "Precompile the Qt (and test) headers of each target" ON)

# Precompiles for `target` the headers its sources may use: QtCore's always, QtGui's with GUI,
# QtGui's and QtWidgets' with WIDGETS, GoogleTest's with TESTS. A layer gets only what it links,
# so the precompiled header never lets a widget-free library see a widget.
function(thermobadge_precompile target)
  if(NOT THERMOBADGE_PCH)
    return()
  endif()
  cmake_parse_arguments(PCH "GUI;WIDGETS;TESTS" "" "" ${ARGN})
  # A precompiled header costs about what one source file does: a target of one or two gains nothing.
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(LENGTH sources count)
  if(count LESS 3)
    return()
  endif()
  set(headers <QByteArray> <QDateTime> <QList> <QLoggingCategory> <QObject> <QString> <QStringList> <QTimer>
      <QVariant> <algorithm> <chrono> <functional> <memory> <optional> <vector>)
  if(PCH_GUI OR PCH_WIDGETS)
    list(APPEND headers <QColor> <QImage> <QPainter> <QPainterPath>)
  endif()
  if(PCH_WIDGETS)
    list(APPEND headers <QApplication> <QLabel> <QPushButton> <QWidget>)
  endif()
  if(PCH_TESTS)
    list(APPEND headers <gtest/gtest.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
