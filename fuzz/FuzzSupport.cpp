#include "fuzz/FuzzTarget.h"

#include "platform/ProgramDir.h"
#include "platform/Regional.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace zev::fuzz {

namespace {

std::function<void(const QString&)>& WarningHandler()
{
    static std::function<void(const QString&)> handler;
    return handler;
}

void HandleMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg && WarningHandler())
        WarningHandler()(text);
}

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

std::vector<TFuzzTarget>& Targets()
{
    static std::vector<TFuzzTarget> targets;
    return targets;
}

const QString& ScratchDir()
{
    static const QString path = Scratch().path();
    return path;
}

QString WriteScratchFile(const QString& name, std::string_view bytes)
{
    const QString path = QDir(ScratchDir()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
        qFatal("fuzz: cannot write %s", qPrintable(path));
    return path;
}

void PrepareProcess(std::function<void(const QString& warning)> onWarning)
{
    SetFormatSettings(BrazilianFormatSettings());
    if (!Scratch().isValid())
        qFatal("fuzz: no scratch folder");
    SetProgramDir(ScratchDir());
    WarningHandler() = std::move(onWarning);
    qInstallMessageHandler(HandleMessage);
}

} // namespace zev::fuzz
