#pragma once

#include <QFont>
#include <QStringList>

// The two faces of the printed reports: 標楷體 for the titles, 細明體 for all
// else. Debian has neither name, so the report layout (which cannot see the
// windows' font set-up) asks for the AR PL families of the TW flavour itself, the
// Windows name kept last for a system that has it. The layout measures and the
// painter draws with the same fonts, so what was measured is what is printed.
namespace ReportFonts {

enum class Face { Kai, Ming };

QStringList families(Face face);
QFont font(Face face, double pointSize);

} // namespace ReportFonts
