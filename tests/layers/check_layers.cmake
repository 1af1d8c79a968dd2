# Checks the include rules of the layers on the sources:
#   cmake -DSOURCE_DIR=<tree> [-DEXPECT_VIOLATIONS=n] -P check_layers.cmake
#
# Arrows point down only: app -> entry and */ui -> ui -> the core (reports, checks,
# interchange, migration, reference -> db -> common). Nothing includes app/. The data core
# (common, db, interchange, checks, migration, reference) includes no QtGui, QtWidgets or
# QtPrintSupport header, in any spelling; the report layout (reports/) may use QtGui to measure text but no
# widgets. No include climbs out of its folder with "..". Queries run in the core
# only: a window folder (entry, ui, app, every */ui) includes no QtSql header and
# names no QSqlQuery; it hands its statements to the core.
#
# Without EXPECT_VIOLATIONS the check fails on the first tree that breaks a rule;
# with it, it passes only when exactly that many breaches are found (the test of
# the check itself runs it on a tree of planted breaches).

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

# Folder -> the folders its files may include (its own included). The core is
# common, db, interchange, checks, migration, reference and reports; every window folder may use any of
# it, but no window folder another's windows, and nothing the application.
set(core reports checks interchange migration reference db common)
set(may_common "common")
set(may_db "db;common")
set(may_interchange "interchange;db;common")
set(may_checks "checks;db;common")
set(may_reports "reports;checks;db;common")
set(may_migration "migration;db;common")
set(may_reference "reference;db;common")
set(may_ui "ui;${core}")
set(may_entry "entry;ui;${core}")
set(may_interchange/ui "interchange/ui;ui;${core}")
set(may_checks/ui "checks/ui;ui;${core}")
set(may_reports/ui "reports/ui;ui;${core}")
set(may_reference/ui "reference/ui;ui;${core}")
set(may_app "app;entry;interchange/ui;checks/ui;reports/ui;reference/ui;ui;${core}")
set(may_cli "cli;${core}")
set(layers common db interchange checks reports migration reference ui entry interchange/ui checks/ui reports/ui
    reference/ui app cli)
set(data_core common db interchange checks migration reference)
set(no_widgets_core reports)
set(windows ui entry interchange/ui checks/ui reports/ui reference/ui app)

# The layer of a path relative to the tree: the longest known folder it lies in.
function(layer_of path out)
  set(best "")
  foreach(layer ${layers})
    string(LENGTH "${layer}" n)
    string(LENGTH "${best}" b)
    if(path MATCHES "^${layer}/" AND n GREATER b)
      set(best "${layer}")
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(breaches 0)
set(report "")
foreach(layer ${layers})
  file(GLOB files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      set(why "")
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(target "${CMAKE_MATCH_1}")
        if(target MATCHES "(^|/)\\.\\.(/|$)")
          set(why "climbs out of its folder")
        else()
          layer_of("${target}" to)
          if(to AND NOT to IN_LIST may_${layer})
            set(why "${layer}/ may not include ${to}/")
          endif()
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
        set(target "${CMAKE_MATCH_1}")
        if(layer IN_LIST data_core AND target MATCHES "^Qt(Gui|Widgets|PrintSupport|OpenGL|Svg)(/|$)")
          set(why "the data core uses Qt Core and Sql only")
        elseif(layer IN_LIST no_widgets_core AND target MATCHES "^Qt(Widgets|PrintSupport)(/|$)")
          set(why "the report layout draws on no widget and no printer")
        elseif(layer IN_LIST windows AND target MATCHES "^(QtSql(/|$)|QSql)")
          set(why "a window runs no query: the core does")
        endif()
      endif()
      if(why)
        math(EXPR breaches "${breaches} + 1")
        string(APPEND report "  ${file}: ${line}  (${why})\n")
      endif()
    endforeach()
    # A query reached through another header is still a query: once per file
    # that names QSqlQuery outside its comments and includes.
    if(layer IN_LIST windows)
      file(READ ${SOURCE_DIR}/${file} text)
      string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" text "${text}")
      string(REGEX REPLACE "//[^\n]*" "" text "${text}")
      string(REGEX REPLACE "#[ \t]*include[^\n]*" "" text "${text}")
      if(text MATCHES "QSqlQuery")
        math(EXPR breaches "${breaches} + 1")
        string(APPEND report "  ${file}: names QSqlQuery  (a window runs no query: the core does)\n")
      endif()
    endif()
  endforeach()
endforeach()

if(DEFINED EXPECT_VIOLATIONS)
  if(NOT breaches EQUAL EXPECT_VIOLATIONS)
    message(FATAL_ERROR "expected ${EXPECT_VIOLATIONS} breaches, found ${breaches}:\n${report}")
  endif()
  message(STATUS "found the ${breaches} planted breaches")
elseif(breaches GREATER 0)
  message(FATAL_ERROR "${breaches} include(s) break the layers:\n${report}")
else()
  message(STATUS "every include keeps to its layer")
endif()
