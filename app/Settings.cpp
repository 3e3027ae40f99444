#include "app/Settings.h"

#include "platform/ProgramDir.h"

namespace zev {

QString SettingsPath()
{
    return ProgramFilePath(QStringLiteral("zev.ini"));
}

} // namespace zev
