// zev-screenshots OUTPUT-DIR PROGRAM-DIR [MAIN-PICTURE]: starts the program
// on the given program folder (its zev.ini and zev.mdb) exactly as zev does,
// and saves pictures of the main window, both tabs of the settings dialog
// and the about box, as the X server shows them. With MAIN-PICTURE, only the
// main window, under that name. Run it under Xvfb (scripts/screenshots) to
// see the program without a desktop.

#include "app/MainFrm.h"
#include "app/Program.h"
#include "output/ConfigFrm.h"
#include "output/SobreFrm.h"
#include "platform/ProgramDir.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <functional>

namespace {

constexpr int SettleMilliseconds = 400;

// What the X server shows of the window, decorations of a window manager
// included when there is one.
bool Save(const QWidget& window, const QString& path)
{
    const QRect frame = window.frameGeometry();
    const QPixmap shot =
        window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool saved = shot.save(path, "PNG");
    std::printf("%s %s\n", saved ? "gravado" : "FALHOU", qPrintable(path));
    return saved;
}

// Runs `then` once the window has been painted.
void AfterPaint(const std::function<void()>& then)
{
    QTimer::singleShot(SettleMilliseconds, then);
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "uso: zev-screenshots PASTA-DAS-IMAGENS PASTA-DO-PROGRAMA [IMAGEM-PRINCIPAL]\n");
        return 2;
    }
    const QString mainPicture =
        argc == 4 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("main.png");
    const QDir output(QString::fromLocal8Bit(argv[1]));
    zev::SetProgramDir(QString::fromLocal8Bit(argv[2]));
    zev::SetUpApplication();

    zev::TProgram program;
    if (!program.Start())
        return 1;
    const zev::TWindows& windows = program.Windows();
    // Without a window manager nothing maximises the window: give it the screen.
    windows.MainForm->setGeometry(windows.MainForm->screen()->availableGeometry());
    windows.MainForm->show();
    windows.MainForm->ShowStatus(QStringLiteral("Pronto."));

    bool saved = true;
    AfterPaint([&] {
        saved &= Save(*windows.MainForm, output.filePath(mainPicture));
        if (argc == 4) {
            QApplication::quit();
            return;
        }

        zev::TConfigForm& config = *windows.ConfigForm;
        auto* tabs = config.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        AfterPaint([&] {
            saved &= Save(config, output.filePath("config-geral.png"));
            tabs->setCurrentIndex(1);
            if (auto* list = config.findChild<QListWidget*>(QStringLiteral("LabelLst"));
                list->count() > 0)
                list->setCurrentRow(0);
            AfterPaint([&] {
                saved &= Save(config, output.filePath("config-etiquetas.png"));
                config.reject();
            });
        });
        config.LoadFromSettings();
        config.exec();

        AfterPaint([&] {
            saved &= Save(*windows.SobreForm, output.filePath("sobre.png"));
            windows.SobreForm->reject();
        });
        windows.SobreForm->exec();
        QApplication::quit();
    });
    QApplication::exec();
    return saved ? 0 : 1;
}
