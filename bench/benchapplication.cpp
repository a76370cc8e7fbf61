#include "benchapplication.h"

#include <QLoggingCategory>

namespace {

// The platform is chosen while QApplication is constructed: set it first.
int &offscreen(int &argc)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

} // namespace

BenchApplication::BenchApplication(int &argc, char **argv)
    : QApplication(offscreen(argc), argv)
{
    setApplicationName(QStringLiteral("KorvistDriver"));
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
}
