#include "app/GuiOperator.h"
#include "app/Program.h"

#include <QApplication>
#include <QMessageBox>

#include <csignal>
#include <exception>

namespace {

// The last line of the general error display: an error that escaped an
// event handler (a dialog's button, a port's settings) is shown and the
// program goes on; no exception ever crosses Qt's event loop.
class TZevApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowError(QString::fromUtf8(error.what()));
        } catch (...) {
            ShowError(QStringLiteral("Erro inesperado."));
        }
        return false;
    }

private:
    static void ShowError(const QString& text)
    {
        QMessageBox box(QMessageBox::Critical, QString::fromUtf8(zev::ZevTitle), text,
                        QMessageBox::Ok, QApplication::activeModalWidget());
        box.exec();
    }
};

} // namespace

int main(int argc, char** argv)
{
    // A printer pipe or a device that went away is an error to report, not a
    // signal that ends the program.
    std::signal(SIGPIPE, SIG_IGN);
    TZevApplication application(argc, argv);
    return zev::StartUp();
}
